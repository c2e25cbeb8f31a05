#include "hosts/pim/ovPimTool.h"

#include "hosts/pim/ovTerminalProgress.h"

#include "data/formats/ovICalendarCodec.h"
#include "data/formats/ovOccurrences.h"
#include "data/formats/ovVCardCodec.h"
#include "data/ovUserData.h"
#include "data/pim/ovPimApplication.h"
#include "data/pim/ovPimAppointment.h"
#include "data/pim/ovPimContact.h"
#include "data/pim/ovPimItem.h"
#include "data/pim/ovPimItems.h"
#include "data/pim/ovPimStore.h"
#include "data/pim/ovPimTask.h"
#include "system/ovClock.h"
#include "system/ovDateTime.h"
#include "system/ovDurableFile.h"
#include "system/ovJson.h"
#include "system/ovPaths.h"
#include "system/ovUtf.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <iostream>
#include <map>
#include <optional>
#include <set>
#include <sstream>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// The exit codes, also the codes of the tool's failures.
constexpr int kOk = 0;
constexpr int kStoreFailed = 1;
constexpr int kBadUsage = 2;

constexpr char kUsage[] =
    "usage: orvida pim [--data DIR] [--config DIR] COMMAND\n"
    "  list contacts|appointments|tasks\n"
    "  list appointments --from DATE --to DATE  (the occurrences that overlap the range)\n"
    "  add-contact [--file-as T] [--first T] [--home T] [--mobile T] [--work T] [--fax T] [--email T]\n"
    "  add-appointment --start DATE --end DATE [--subject T] [--location T] [--reminder MINUTES]\n"
    "  add-task --start DATE --due DATE [--subject T] [--importance 0|1|2] [--reminder DATE|MINUTES]\n"
    "  import FILE...  (iCalendar .ics and vCard .vcf files; an item with a known UID is updated)\n"
    "  export --appointments|--tasks|--contacts [--out FILE]\n"
    "  sync  (reads the vdir that orvida.conf names into the store)\n"
    "DATE is local time, YYYY-MM-DDTHH:MM:SS.\n"
    "With a [vdir] in orvida.conf (--config DIR, else $XDG_CONFIG_HOME/orvida), every item\n"
    "saved is also written to its file there.\n";

std::string jsonString(const std::u16string& text) {
    return ovJsonString(ovToUtf8(text));
}

std::string isoDate(double date) {
    ovSystemTime st;
    return ovVariantTimeToSystemTime(date, st) ? ovFormatIsoLocal(st) : std::string();
}

std::string jsonDate(double date) {
    ovSystemTime st;
    if (!ovVariantTimeToSystemTime(date, st))
        return "null";
    std::string quoted(1, '"');
    quoted += ovFormatIsoLocal(st);
    quoted += '"';
    return quoted;
}

std::optional<double> parseDate(const std::string& text) {
    const std::optional<ovSystemTime> st = ovParseIsoLocal(text);
    double date;
    if (!st || !ovSystemTimeToVariantTime(*st, date))
        return std::nullopt;
    return date;
}

// The date some minutes earlier, counted on the calendar: before 1899-12-30 an
// automation date's time of day runs the other way, so plain subtraction would be wrong.
std::optional<double> minutesBefore(double date, int minutes) {
    ovSystemTime st;
    if (!ovVariantTimeToSystemTime(date, st))
        return std::nullopt;
    int64_t seconds = ovDaysFromCivil(st.year, st.month, st.day) * 86400 + st.hour * 3600 + st.minute * 60 +
                      st.second - static_cast<int64_t>(minutes) * 60;
    int64_t days = seconds / 86400;
    seconds %= 86400;
    if (seconds < 0) {
        seconds += 86400;
        --days;
    }
    int year = 0;
    unsigned month = 0, day = 0;
    ovCivilFromDays(days, year, month, day);
    if (year < 100 || year > 9999)
        return std::nullopt;
    ovSystemTime earlier;
    earlier.year = static_cast<uint16_t>(year);
    earlier.month = static_cast<uint16_t>(month);
    earlier.day = static_cast<uint16_t>(day);
    earlier.hour = static_cast<uint16_t>(seconds / 3600);
    earlier.minute = static_cast<uint16_t>(seconds / 60 % 60);
    earlier.second = static_cast<uint16_t>(seconds % 60);
    double out;
    if (!ovSystemTimeToVariantTime(earlier, out) || !ovPimIsValidDate(out))
        return std::nullopt;
    return out;
}

// A whole number of minutes, 0 up to ten years' worth.
std::optional<int> parseMinutes(const std::string& text) {
    unsigned value = 0;
    const char* last = text.data() + text.size();
    const auto [end, failure] = std::from_chars(text.data(), last, value);
    if (failure != std::errc() || end != last || value > 10u * 366 * 1440)
        return std::nullopt;
    return static_cast<int>(value);
}

// The options of one command: each name at most the value given last.
class Options {
public:
    Options(std::set<std::string> known, std::set<std::string> required)
        : known_(std::move(known)), required_(std::move(required)) {}

    ovResult<> parse(const std::vector<std::string>& args, size_t first) {
        for (size_t i = first; i < args.size(); ++i) {
            std::string name = args[i];
            std::string value;
            const size_t equals = name.find('=');
            if (name.rfind("--", 0) == 0 && equals != std::string::npos) {
                value = name.substr(equals + 1);
                name.resize(equals);
            } else if (i + 1 < args.size()) {
                value = args[++i];
            } else if (known_.count(name) != 0) {
                return ovFail(kBadUsage, name + " needs a value");
            }
            if (known_.count(name) == 0)
                return ovFail(kBadUsage, "unknown option " + name);
            if (!ovIsValidUtf8(value))
                return ovFail(kBadUsage, "the value of " + name + " is not valid UTF-8");
            values_[name] = value;
        }
        for (const std::string& name : required_)
            if (values_.count(name) == 0)
                return ovFail(kBadUsage, name + " is required");
        return {};
    }

    bool has(const std::string& name) const { return values_.count(name) != 0; }
    std::string text(const std::string& name) const {
        const auto found = values_.find(name);
        return found == values_.end() ? std::string() : found->second;
    }
    std::u16string text16(const std::string& name) const { return ovToUtf16(text(name)); }

    ovResult<> date(const std::string& name, double& out) const {
        const std::optional<double> date = parseDate(text(name));
        if (!date)
            return ovFail(kBadUsage, name + " " + text(name) + " is not a date (YYYY-MM-DDTHH:MM:SS)");
        out = *date;
        return {};
    }
    // Parses the arguments and the two dates that bound an item.
    ovResult<> parseWithSpan(const std::vector<std::string>& args, size_t first, const std::string& fromName,
                             double& from, const std::string& toName, double& to) {
        if (ovResult<> f = parse(args, first); !f)
            return f;
        if (ovResult<> f = date(fromName, from); !f)
            return f;
        return date(toName, to);
    }

private:
    std::set<std::string> known_;
    std::set<std::string> required_;
    std::map<std::string, std::string> values_;
};

ovResult<> storeFailure(const ovResult<>& r) {
    return ovFail(kStoreFailed, r.reason());
}

// The items of one of the default folders.
ovResult<> folderItems(ovPimApplication& app, int folderId, std::unique_ptr<ovPimItems>& items) {
    std::unique_ptr<ovPimFolder> folder;
    if (ovResult<> r = app.getDefaultFolder(folderId, folder); !r)
        return storeFailure(r);
    if (ovResult<> r = folder->items(items); !r)
        return storeFailure(r);
    return {};
}

ovResult<> listItems(ovPimApplication& app, const std::string& kind, std::ostream& out) {
    const int folderId = kind == "contacts"       ? ovPimFolderContacts
                         : kind == "appointments" ? ovPimFolderCalendar
                                                  : ovPimFolderTasks;
    std::unique_ptr<ovPimItems> items;
    if (ovResult<> r = folderItems(app, folderId, items); !r)
        return r;
    // A repeating task shows its instance next due from now.
    double now = 0;
    (void)ovSystemTimeToVariantTime(ovRealClock().localTime(), now);
    for (int index = 1; index <= items->count(); ++index) {
        const ovPimItem* item = items->peek(index);
        if (const auto* c = ovPimItemCast<ovPimContact>(item)) {
            out << "{\"fileAs\":" << jsonString(c->fileAs())
                << ",\"firstName\":" << jsonString(c->firstName())
                << ",\"home\":" << jsonString(c->homeTelephoneNumber())
                << ",\"mobile\":" << jsonString(c->mobileTelephoneNumber())
                << ",\"work\":" << jsonString(c->businessTelephoneNumber())
                << ",\"fax\":" << jsonString(c->businessFaxNumber())
                << ",\"email\":" << jsonString(c->email1Address()) << "}\n";
        } else if (const auto* a = ovPimItemCast<ovPimAppointment>(item)) {
            out << "{\"start\":" << jsonDate(a->start()) << ",\"end\":" << jsonDate(a->end())
                << ",\"subject\":" << jsonString(a->subject())
                << ",\"location\":" << jsonString(a->location()) << ",\"duration\":" << a->duration()
                << ",\"reminderMinutes\":" << a->reminderMinutesBeforeStart()
                << ",\"reminderSet\":" << (a->reminderSet() ? "true" : "false") << "}\n";
        } else if (const auto* t = ovPimItemCast<ovPimTask>(item)) {
            const ovPimTaskDates dates = t->datesAt(now);
            out << "{\"subject\":" << jsonString(t->subject()) << ",\"importance\":" << t->importance()
                << ",\"start\":" << jsonDate(dates.start) << ",\"due\":" << jsonDate(dates.due)
                << ",\"reminder\":" << (t->reminderSet() ? jsonDate(dates.reminderTime) : std::string("null"))
                << ",\"reminderSet\":" << (t->reminderSet() ? "true" : "false") << "}\n";
        }
    }
    return {};
}

// The occurrences of every appointment that overlap [from, to): a repeating event's rule
// is expanded from the text it was read from; an item made here or by the wizards is its
// own one occurrence.
ovResult<> listOccurrences(ovPimApplication& app, double from, double to, std::ostream& out) {
    std::unique_ptr<ovPimItems> items;
    if (ovResult<> r = folderItems(app, ovPimFolderCalendar, items); !r)
        return r;
    std::vector<ovOccurrence> all;
    for (int index = 1; index <= items->count(); ++index) {
        const auto* a = ovPimItemCast<ovPimAppointment>(items->peek(index));
        if (a == nullptr)
            continue;
        ovResult<std::vector<ovOccurrence>> expanded =
            a->sourceText().empty() ? ovResult<std::vector<ovOccurrence>>(ovFail("no text"))
                                    : ovExpandOccurrences(a->sourceText(), from, to);
        if (expanded && !expanded.value().empty()) {
            for (ovOccurrence& o : expanded.value())
                all.push_back(std::move(o));
        } else if (!expanded && a->start() < to && (a->end() > from || a->start() >= from)) {
            all.push_back(ovOccurrence{a->start(), a->end(), a->uid(), ovToUtf8(a->subject()),
                                       ovToUtf8(a->location()), std::nullopt});
        }
    }
    std::stable_sort(all.begin(), all.end(),
                     [](const ovOccurrence& x, const ovOccurrence& y) { return x.start < y.start; });
    for (const ovOccurrence& o : all) {
        out << "{\"start\":" << jsonDate(o.start) << ",\"end\":" << jsonDate(o.end)
            << ",\"subject\":" << ovJsonString(o.subject) << ",\"location\":" << ovJsonString(o.location)
            << ",\"uid\":" << ovJsonString(o.uid);
        if (o.recurrenceId)
            out << ",\"recurrenceId\":" << jsonDate(*o.recurrenceId);
        out << "}\n";
    }
    return {};
}

// Each command checks every option before the store is opened, so a refused command
// creates no file.
class Command {
public:
    virtual ~Command() = default;
    virtual ovResult<> parse(const std::vector<std::string>& args, size_t first) = 0;
    virtual ovResult<> run(ovPimApplication& app, std::ostream& out) = 0;
};

class ListCommand : public Command {
public:
    ovResult<> parse(const std::vector<std::string>& args, size_t first) override {
        if (first >= args.size())
            return ovFail(kBadUsage, "list needs contacts, appointments or tasks");
        kind_ = args[first];
        if (kind_ != "contacts" && kind_ != "appointments" && kind_ != "tasks")
            return ovFail(kBadUsage, "cannot list " + kind_ + " (contacts, appointments or tasks)");
        if (first + 1 >= args.size())
            return {};
        if (kind_ != "appointments")
            return ovFail(kBadUsage, "unexpected " + args[first + 1]);
        if (ovResult<> f = range_.parseWithSpan(args, first + 1, "--from", from_, "--to", to_); !f)
            return f;
        if (to_ < from_)
            return ovFail(kBadUsage, "--to is before --from");
        ranged_ = true;
        return {};
    }
    ovResult<> run(ovPimApplication& app, std::ostream& out) override {
        return ranged_ ? listOccurrences(app, from_, to_, out) : listItems(app, kind_, out);
    }

private:
    std::string kind_;
    Options range_{{"--from", "--to"}, {"--from", "--to"}};
    bool ranged_ = false;
    double from_ = 0;
    double to_ = 0;
};

template <class T> ovResult<> saveNew(ovPimApplication& app, std::unique_ptr<ovPimItem>& created, T*& item) {
    if (ovResult<> r = app.createItem(static_cast<int>(T::kind), created); !r)
        return storeFailure(r);
    item = ovPimItemCast<T>(created.get());
    return {};
}

class AddContactCommand : public Command {
public:
    ovResult<> parse(const std::vector<std::string>& args, size_t first) override {
        return options_.parse(args, first);
    }
    ovResult<> run(ovPimApplication& app, std::ostream&) override {
        std::unique_ptr<ovPimItem> created;
        ovPimContact* c = nullptr;
        if (ovResult<> f = saveNew(app, created, c); !f)
            return f;
        c->setFileAs(options_.text16("--file-as"));
        c->setFirstName(options_.text16("--first"));
        c->setHomeTelephoneNumber(options_.text16("--home"));
        c->setMobileTelephoneNumber(options_.text16("--mobile"));
        c->setBusinessTelephoneNumber(options_.text16("--work"));
        c->setBusinessFaxNumber(options_.text16("--fax"));
        c->setEmail1Address(options_.text16("--email"));
        if (ovResult<> r = c->save(); !r)
            return storeFailure(r);
        return {};
    }

private:
    Options options_{{"--file-as", "--first", "--home", "--mobile", "--work", "--fax", "--email"}, {}};
};

class AddAppointmentCommand : public Command {
public:
    explicit AddAppointmentCommand(std::ostream& err) : err_(err) {}
    ovResult<> parse(const std::vector<std::string>& args, size_t first) override {
        if (ovResult<> f = options_.parseWithSpan(args, first, "--start", start_, "--end", end_); !f)
            return f;
        if (end_ < start_)
            return ovFail(kBadUsage, "--end " + options_.text("--end") + " is before --start " +
                                         options_.text("--start"));
        if (options_.has("--reminder")) {
            reminder_ = parseMinutes(options_.text("--reminder"));
            if (!reminder_)
                return ovFail(kBadUsage,
                              "--reminder " + options_.text("--reminder") + " is not a number of minutes");
        }
        return {};
    }
    ovResult<> run(ovPimApplication& app, std::ostream&) override {
        std::unique_ptr<ovPimItem> created;
        ovPimAppointment* a = nullptr;
        if (ovResult<> f = saveNew(app, created, a); !f)
            return f;
        // The new item's default length would carry an appointment late on the last day
        // the store holds past that day; the end given replaces it anyway.
        ovResult<> r = a->setDuration(0);
        if (r)
            r = a->setStart(start_);
        if (r)
            r = a->setEnd(end_);
        if (r && reminder_)
            r = a->setReminderMinutesBeforeStart(*reminder_);
        a->setSubject(options_.text16("--subject"));
        a->setLocation(options_.text16("--location"));
        if (r && a->moveOutOfClockGap())
            err_ << "orvida pim: the clocks skip "
                 << options_.text(a->start() != start_ ? "--start" : "--end")
                 << " here (they go forward); the appointment is moved to " << isoDate(a->start()) << " - "
                 << isoDate(a->end()) << "\n";
        if (r)
            r = a->save();
        return r ? ovResult<>() : storeFailure(r);
    }

private:
    std::ostream& err_;
    Options options_{{"--start", "--end", "--subject", "--location", "--reminder"}, {"--start", "--end"}};
    double start_ = 0, end_ = 0;
    std::optional<int> reminder_;
};

class AddTaskCommand : public Command {
public:
    ovResult<> parse(const std::vector<std::string>& args, size_t first) override {
        if (ovResult<> f = options_.parseWithSpan(args, first, "--start", start_, "--due", due_); !f)
            return f;
        if (options_.has("--importance")) {
            const std::string text = options_.text("--importance");
            if (text != "0" && text != "1" && text != "2")
                return ovFail(kBadUsage, "--importance " + text + " is not 0, 1 or 2");
            importance_ = text[0] - '0';
        }
        if (options_.has("--reminder")) {
            // A date is the reminder time itself; a number is minutes before the start,
            // as the task wizard counts it.
            const std::string text = options_.text("--reminder");
            if (const std::optional<double> date = parseDate(text)) {
                reminder_ = *date;
            } else if (const std::optional<int> minutes = parseMinutes(text)) {
                reminder_ = minutesBefore(start_, *minutes);
                if (!reminder_)
                    return ovFail(kBadUsage,
                                  "--reminder " + text +
                                      " minutes before the start falls outside the dates the store holds");
            } else {
                return ovFail(kBadUsage, "--reminder " + text + " is neither a date nor a number of minutes");
            }
        }
        return {};
    }
    ovResult<> run(ovPimApplication& app, std::ostream&) override {
        std::unique_ptr<ovPimItem> created;
        ovPimTask* t = nullptr;
        if (ovResult<> f = saveNew(app, created, t); !f)
            return f;
        t->setSubject(options_.text16("--subject"));
        ovResult<> r = t->setImportance(importance_);
        if (r)
            r = t->setStartDate(start_);
        if (r)
            r = t->setDueDate(due_);
        if (r && reminder_)
            r = t->setReminderTime(*reminder_);
        t->setReminderSet(reminder_.has_value());
        if (r)
            r = t->save();
        return r ? ovResult<>() : storeFailure(r);
    }

private:
    Options options_{{"--start", "--due", "--subject", "--importance", "--reminder"}, {"--start", "--due"}};
    double start_ = 0, due_ = 0;
    int importance_ = ovPimTask::importanceNormal;
    std::optional<double> reminder_;
};

// Brings the store in line with the vdir's files; the vdir is opened by the tool itself.
class SyncCommand : public Command {
public:
    SyncCommand(std::ostream& err, bool progress) : err_(err), progress_(progress) {}
    ovResult<> parse(const std::vector<std::string>& args, size_t first) override {
        if (first < args.size())
            return ovFail(kBadUsage, "unexpected " + args[first]);
        return {};
    }
    ovResult<> run(ovPimApplication& app, std::ostream& out) override {
        if (!vdir)
            return ovFail(kStoreFailed,
                          "there is nothing to sync: orvida.conf (in --config DIR, else "
                          "$XDG_CONFIG_HOME/orvida) has no [vdir] section with 'path = FOLDER'");
        ovResult<ovVdirSyncReport> synced = ovFail("the sync did not run");
        {
            ovTerminalProgress shown(err_, progress_, "sync: files");
            vdir->setProgress([&shown](size_t done, size_t total) {
                shown.update(done, total);
                return true;
            });
            synced = vdir->sync(*app.store());
            vdir->setProgress({});
        }
        if (!synced)
            return storeFailure(synced.error());
        out << ovVdirCounts(synced.value()) << "\n";
        // Files left out are told one a line, and make the exit code say so, like an import's.
        // Those that could not be read at an earlier sync and have not changed were not read again.
        const std::vector<std::string>& problems = synced.value().problems;
        const std::vector<std::string>& unchanged = synced.value().unchanged;
        for (const std::string& w : synced.value().warnings)
            err_ << w << "\n";
        for (const std::string& p : problems)
            err_ << p << "\n";
        for (const std::string& p : unchanged)
            err_ << p << "\n";
        if (!unchanged.empty())
            err_ << unchanged.size() << (unchanged.size() == 1 ? " file" : " files")
                 << " still unreadable, unchanged since an earlier sync (not read again)\n";
        const size_t left = problems.size() + unchanged.size();
        if (left != 0)
            return ovFail(kStoreFailed,
                          left == 1 ? std::string("1 file was left as it is (see above)")
                                    : std::to_string(left) + " files were left as they are (see above)");
        return {};
    }
    std::shared_ptr<ovVdir> vdir;

private:
    std::ostream& err_;
    bool progress_;
};

// The text of a file, or why it cannot be had.
ovResult<> readFile(const std::string& file, std::string& out) {
    std::ifstream in(file, std::ios::binary);
    if (!in)
        return ovFail(kStoreFailed, file + ": cannot read the file: " + std::strerror(errno));
    std::ostringstream text;
    text << in.rdbuf();
    if (in.bad())
        return ovFail(kStoreFailed, file + ": cannot read the file: " + std::strerror(errno));
    out = text.str();
    return {};
}

// What the file holds, told by its first line rather than its name.
enum class FileKind { calendar, cards, unknown };

FileKind kindOf(std::string_view text) {
    if (text.rfind("\xEF\xBB\xBF", 0) == 0)
        text.remove_prefix(3);
    const size_t start = text.find_first_not_of(" \t\r\n");
    if (start == std::string_view::npos)
        return FileKind::unknown;
    std::string first(text.substr(start, text.find_first_of("\r\n", start) - start));
    for (char& c : first)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    while (!first.empty() && (first.back() == ' ' || first.back() == '\t'))
        first.pop_back();
    if (first == "BEGIN:VCALENDAR")
        return FileKind::calendar;
    if (first == "BEGIN:VCARD")
        return FileKind::cards;
    return FileKind::unknown;
}

// Imports every file it can; what it cannot is said on standard error as FILE:LINE: problem
// and makes the exit code 1, the rest still imported.
class ImportCommand : public Command {
public:
    ImportCommand(std::ostream& err, bool progress) : err_(err), progress_(progress) {}
    ovResult<> parse(const std::vector<std::string>& args, size_t first) override {
        files_.assign(args.begin() + static_cast<std::ptrdiff_t>(first), args.end());
        if (files_.empty())
            return ovFail(kBadUsage, "import needs at least one file");
        for (const std::string& file : files_)
            if (file.rfind("--", 0) == 0)
                return ovFail(kBadUsage, "unknown option " + file);
        return {};
    }
    ovResult<> run(ovPimApplication& app, std::ostream& out) override {
        bool leftOut = false;
        for (const std::string& file : files_)
            leftOut |= !importFile(*app.store(), file, out);
        if (leftOut)
            return ovFail(kStoreFailed, "some items were not imported (see above)");
        return {};
    }

private:
    // False when anything of the file was left out.
    bool importFile(ovPimStore& store, const std::string& file, std::ostream& out) {
        std::string text;
        if (ovResult<> r = readFile(file, text); !r) {
            err_ << r.reason() << "\n";
            return false;
        }
        const FileKind kind = kindOf(text);
        if (kind == FileKind::unknown) {
            err_ << file
                 << ":1: neither an iCalendar file (BEGIN:VCALENDAR) nor a vCard file (BEGIN:VCARD)\n";
            return false;
        }
        ovDecoded decoded = kind == FileKind::calendar ? ovDecodeICalendar(text) : ovDecodeVCards(text);
        for (const ovDecodeProblem& p : decoded.problems)
            err_ << file << ":" << p.line << ": " << p.problem << "\n";
        for (const ovDecodeProblem& w : decoded.warnings)
            err_ << file << ":" << w.line << ": warning: " << w.problem << "\n";
        bool whole = decoded.problems.empty();
        // One transaction for the file: a large calendar imports in one write.
        if (ovResult<> r = store.beginBatch(); !r) {
            err_ << file << ": " << r.reason() << "\n";
            return false;
        }
        int added = 0, updated = 0;
        {
            ovTerminalProgress shown(err_, progress_, file + ": items");
            for (size_t i = 0; i < decoded.items.size(); ++i) {
                shown.update(i, decoded.items.size());
                ovPimItem& item = *decoded.items[i];
                const ovResult<bool> r = store.addOrReplaceByUid(item);
                if (!r) {
                    err_ << file << ": " << item.uid() << ": " << r.reason() << "\n";
                    whole = false;
                    continue;
                }
                ++(r.value() ? updated : added);
            }
        }
        if (ovResult<> r = store.commitBatch(); !r) {
            err_ << file << ": nothing of the file was imported: " << r.reason() << "\n";
            return false;
        }
        out << file << ": added " << added << ", updated " << updated << ", problems "
            << decoded.problems.size() + (decoded.items.size() - static_cast<size_t>(added + updated))
            << "\n";
        return whole;
    }

    std::ostream& err_;
    bool progress_;
    std::vector<std::string> files_;
};

class ExportCommand : public Command {
public:
    ovResult<> parse(const std::vector<std::string>& args, size_t first) override {
        for (size_t i = first; i < args.size(); ++i) {
            const std::string& a = args[i];
            if (a == "--appointments" || a == "--tasks" || a == "--contacts") {
                if (!kind_.empty() && kind_ != a)
                    return ovFail(kBadUsage, "export one kind at a time, not " + kind_ + " and " + a);
                kind_ = a;
            } else if (a == "--out" && i + 1 < args.size()) {
                out_ = args[++i];
            } else if (a.rfind("--out=", 0) == 0) {
                out_ = a.substr(6);
            } else if (a == "--out") {
                return ovFail(kBadUsage, "--out needs a file");
            } else {
                return ovFail(kBadUsage, "unexpected " + a);
            }
        }
        if (kind_.empty())
            return ovFail(kBadUsage, "export needs --appointments, --tasks or --contacts");
        if (out_ && out_->empty())
            return ovFail(kBadUsage, "--out needs a file");
        return {};
    }
    ovResult<> run(ovPimApplication& app, std::ostream& out) override {
        ovPimStore& store = *app.store();
        ovPimStore::ItemList items;
        ovResult<> r = kind_ == "--contacts"       ? store.contacts(items)
                       : kind_ == "--appointments" ? store.appointments(items)
                                                   : store.tasks(items);
        if (!r)
            return storeFailure(r);
        std::string text;
        if (kind_ == "--contacts") {
            for (const auto& item : items)
                text += ovEncodeContact(*ovPimItemCast<ovPimContact>(item.get()));
        } else {
            std::vector<std::string> calendars;
            for (const auto& item : items) {
                if (const auto* a = ovPimItemCast<ovPimAppointment>(item.get()))
                    calendars.push_back(ovEncodeAppointment(*a));
                else if (const auto* t = ovPimItemCast<ovPimTask>(item.get()))
                    calendars.push_back(ovEncodeTask(*t));
            }
            text = ovJoinCalendars(calendars);
        }
        if (out_) {
            if (ovResult<> written = ovDurableFile::writeOut(*out_, text); !written)
                return ovFail(kStoreFailed, written.reason());
            return {};
        }
        out << text;
        return {};
    }

private:
    std::string kind_;
    std::optional<std::string> out_;
};

std::unique_ptr<Command> makeCommand(const std::string& name, std::ostream& err, bool progress) {
    if (name == "sync")
        return std::make_unique<SyncCommand>(err, progress);
    if (name == "import")
        return std::make_unique<ImportCommand>(err, progress);
    if (name == "export")
        return std::make_unique<ExportCommand>();
    if (name == "list")
        return std::make_unique<ListCommand>();
    if (name == "add-contact")
        return std::make_unique<AddContactCommand>();
    if (name == "add-appointment")
        return std::make_unique<AddAppointmentCommand>(err);
    if (name == "add-task")
        return std::make_unique<AddTaskCommand>();
    return nullptr;
}

int fail(std::ostream& err, const ovResult<>& f) {
    err << "orvida pim: " << f.reason() << "\n";
    if (f.code() == kBadUsage)
        err << kUsage;
    return f.code();
}

} // namespace

int ovRunPimTool(const std::vector<std::string>& args, std::ostream& out, std::ostream& err, bool progress) {
    std::string dataFolder;
    std::string configFolder;
    size_t i = 1;
    for (; i < args.size() && args[i].rfind("-", 0) == 0; ++i) {
        if (args[i] == "--help" || args[i] == "-h") {
            out << kUsage;
            return kOk;
        }
        if (args[i] == "--data" && i + 1 < args.size()) {
            dataFolder = args[++i];
        } else if (args[i].rfind("--data=", 0) == 0) {
            dataFolder = args[i].substr(7);
        } else if (args[i] == "--data") {
            return fail(err, ovFail(kBadUsage, "--data needs a folder"));
        } else if (args[i] == "--config" && i + 1 < args.size() && !args[i + 1].empty()) {
            configFolder = args[++i];
            continue;
        } else if (args[i].rfind("--config=", 0) == 0 && args[i].size() > 9) {
            configFolder = args[i].substr(9);
            continue;
        } else if (args[i] == "--config" || args[i] == "--config=") {
            return fail(err, ovFail(kBadUsage, "--config needs a folder"));
        } else {
            return fail(err, ovFail(kBadUsage, "unknown option " + args[i]));
        }
        if (dataFolder.empty())
            return fail(err, ovFail(kBadUsage, "--data needs a folder"));
    }
    if (i >= args.size())
        return fail(err, ovFail(kBadUsage, "no command given"));
    std::unique_ptr<Command> command = makeCommand(args[i], err, progress);
    if (!command)
        return fail(err, ovFail(kBadUsage, "unknown command " + args[i]));
    if (ovResult<> f = command->parse(args, i + 1); !f)
        return fail(err, f);

    if (dataFolder.empty())
        dataFolder = ovDefaultDataFolder();
    ovPimApplication app;
    if (ovResult<> r = app.logOn(ovPimStoreFileIn(dataFolder)); !r)
        return fail(err, storeFailure(r));
    // With a vdir every save writes its file too, whichever command saves.
    ovUserData data = ovOpenUserData(*app.store(), configFolder, false);
    if (!data.settingsProblem.empty())
        return fail(err, ovFail(kStoreFailed, data.settingsProblem));
    if (auto* sync = dynamic_cast<SyncCommand*>(command.get()))
        sync->vdir = data.vdir;
    if (ovResult<> f = command->run(app, out); !f)
        return fail(err, f);
    out.flush();
    return kOk;
}

int ovRunPimTool(int argc, char** argv) {
    std::vector<std::string> args(argv, argv + argc);
    return ovRunPimTool(args, std::cout, std::cerr, ::isatty(STDERR_FILENO) == 1);
}
