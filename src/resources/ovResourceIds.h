#pragma once
// Identifiers of the program's resources: strings, menus, commands, dialogs.

// Strings.
constexpr int ovIdsAppTitle = 1;
constexpr int ovIdsWindowClass = 2;
constexpr int ovIdsExit = 103;
constexpr int ovIdsOptions = 104;

// Menu and menu bar.
constexpr int ovIdMenu = 102;
// Accelerator table.
constexpr int ovIdAccelerators = 2;
// The About box.
constexpr int ovIdAboutDialog = 105;
constexpr int ovIdOk = 1;

// Menu commands.
constexpr int ovCmdExit = 40000;
constexpr int ovCmdOptions = 40001;
constexpr int ovCmdAbout = 40002;
constexpr int ovCmdToggleSounds = 32771;
