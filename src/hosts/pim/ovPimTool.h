#pragma once
// `orvida pim [--data DIR] [--config DIR] COMMAND`: seeds a store from a script and reads
// it back.
//
//   list contacts|appointments|tasks      one JSON object per line, in the store's order
//   add-contact     [--file-as T] [--first T] [--home T] [--mobile T] [--work T] [--fax T] [--email T]
//   add-appointment --start D --end D [--subject T] [--location T] [--reminder MINUTES]
//   add-task        --start D --due D [--subject T] [--importance 0|1|2] [--reminder D|MINUTES]
//   import FILE...  iCalendar and vCard files, told apart by their content; an item whose
//                   UID the store has already is updated, not added twice
//   export --appointments|--tasks|--contacts [--out FILE]
//                   one iCalendar calendar or the vCards, to standard output or written
//                   whole to FILE (a temporary file beside it, synced, renamed over it)
//   sync            brings the store in line with the vdir that orvida.conf names and
//                   prints "added N, changed N, removed N, written N"
//
// When orvida.conf (in --config DIR, else $XDG_CONFIG_HOME/orvida) names a vdir, every
// command that saves writes the item's file there too, before the save counts as done.
//
// Dates D are local time, YYYY-MM-DDTHH:MM:SS, in and out. Exit code 0 on success, 2 for
// a bad command, option or value (nothing is written then), 1 when the store fails or an
// import or a sync leaves something out (each item or file left out is told as
// FILE:LINE: problem, the others are taken in).
#include <iosfwd>
#include <string>
#include <vector>

// argv[0] is "pim"; prints to standard output and standard error.
int ovRunPimTool(int argc, char** argv);
// The same with the arguments (args[0] == "pim") and the two streams given. progress: a
// long sync or import shows how far it is on err (which is then a terminal).
int ovRunPimTool(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
                 bool progress = false);
