// Names and texts of the install and uninstall procedures; their results
// are in app/results.h.
#pragma once

#include <cstddef>
#include <cstdint>

namespace setup {

// The driver-setup tool's exit code that means "restart the system first".
inline constexpr int32_t TOOL_EXIT_RESTART = 1;
// The exit code a run keeps when the tool's own code cannot be read.
inline constexpr int32_t TOOL_EXIT_UNKNOWN = -1;

// Sizes of the procedures' working texts, terminating zero included.
inline constexpr size_t TOOL_PATH_SIZE = 2048;   // tool path, then shortcut targets and the uninstaller path
inline constexpr size_t MENU_FOLDER_SIZE = 1024; // a Programs-menu folder "...\Kelvane\Brevik"
inline constexpr size_t KEY_PATH_SIZE = 1024;    // the uninstall entry's key path

// Per-user key deleted by both procedures, directly under HKEY_CURRENT_USER.
inline constexpr char USER_KEY[] = "Kelvane\\Brevik";
// The uninstaller's file name when the program's own has no exact ANSI
// form: the name the program ships under.
inline constexpr char UNINSTALLER_FALLBACK_NAME[] = "BrevikSetup.exe";
// Target sub-folder under the program-files folder.
inline constexpr char TARGET_SUBFOLDER[] = "KV\\Brevik";

// The driver-setup tool's two builds and command lines. The tool's path is
// not repeated at the start of the command line: a tool that takes the first
// word as its own name then sees only the options after it.
inline constexpr char SETUP_TOOL_32[] = "SONDREL_Setup.exe";
inline constexpr char SETUP_TOOL_64[] = "SONDREL_Setup_x64.exe";
inline constexpr char TOOL_INSTALL_COMMAND[] = "-h -i -H -n";
inline constexpr char TOOL_UNINSTALL_COMMAND[] = "-h -u -H";

// Where the per-user Programs-menu folder is found.
inline constexpr char SHELL_FOLDERS_KEY[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
inline constexpr char PROGRAMS_VALUE[] = "Programs";
// The product's sub-folder of a Programs menu, and its two shortcuts.
inline constexpr char MENU_SUBFOLDER[] = "Kelvane\\Brevik";
inline constexpr char README_SHORTCUT[] = "Readme";
inline constexpr char README_TARGET[] = "readme.txt";
inline constexpr char APP_SHORTCUT[] = "Brevik";
inline constexpr char APP_TARGET[] = "SONDREL_Brevik.exe";

// The uninstall entry, under HKEY_LOCAL_MACHINE.
inline constexpr char UNINSTALL_ROOT_KEY[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall";
inline constexpr char UNINSTALL_ENTRY_KEY[] = "KV:Brevik {17359A74-1236-5467}";
inline constexpr char DISPLAY_NAME_VALUE[] = "DisplayName";
inline constexpr char DISPLAY_NAME[] = "Brevik and Mireline";
inline constexpr char PUBLISHER_VALUE[] = "Publisher";
inline constexpr char PUBLISHER[] = "Kelvane Software";
inline constexpr char UNINSTALL_STRING_VALUE[] = "UninstallString";
// The entry's key path, root key, a backslash and the entry, fits its area.
static_assert(sizeof UNINSTALL_ROOT_KEY - 1 + 1 + sizeof UNINSTALL_ENTRY_KEY <= KEY_PATH_SIZE);

// Steps of the install, as the progress banner names them.
inline constexpr char STATUS_EXTRACT_PACKAGE[] = "Extract Package";
inline constexpr char STATUS_COPY_FILES[] = "Copy Files";
inline constexpr char STATUS_INSTALL_DRIVER[] = "Install Audio Driver";
inline constexpr char STATUS_FINALIZE[] = "Finalize Installation";
inline constexpr char STATUS_COMPLETED[] = "Installation Completed";

// Failure captions.
inline constexpr char INSTALL_FAILURE_CAPTION[] = "Brevik Installation Error";
inline constexpr char UNINSTALL_FAILURE_CAPTION[] = "Brevik De-Installation Error";

// Failure texts. Those that end with "at\n" are followed by the product web
// host and a full stop.
inline constexpr char INSTALL_PACKAGE_DAMAGED_TEXT[] =
    "Installation package might be corrupted\nthanks to download official package at\n";
inline constexpr char TARGET_FOLDER_FAILED_TEXT[] =
    "Failed to create target folder on system disk\nthanks to download official package at\n";
inline constexpr char EXTRACTION_FAILED_TEXT[] =
    "Failed to copy file(s) to destination folder...\nInstallation package might be corrupted\n"
    "thanks to download official package at\n";
inline constexpr char RESTART_FIRST_TEXT[] =
    "Cannot install Mireline Driver now...\nYOU MUST RESTART your system and then relaunch setup program";
inline constexpr char UNINSTALL_PACKAGE_DAMAGED_TEXT[] =
    "De-Installation package might be corrupted\nthanks to download official package at\n";

// The uninstall's closing message: system-modal, OK button, warning icon.
inline constexpr char CLOSING_CAPTION[] = "REBOOT YOUR SYSTEM";
inline constexpr char CLOSING_TEXT_AFTER_RESTART_CODE[] = "RESTART SYSTEM to finish de-installation!";
inline constexpr char CLOSING_TEXT[] =
    "Brevik and Mireline have been removed from the system\nBut YOU MUST RESTART your computer.";
inline constexpr uint32_t CLOSING_BOX_STYLE = 0x1030;

}  // namespace setup
