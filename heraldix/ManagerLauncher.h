// Where tokarium is installed, and starting it.
#pragma once
#include <string>

struct ManagerSettings {
    std::string path;  // tokarium's program file
    std::string name;  // text of the menu entry that starts it
};

// "path" and "name" under HKEY_LOCAL_MACHINE\SOFTWARE\quorin\tokarium; empty when absent.
ManagerSettings ReadManagerSettings();

// Starts the program at `path` in its own folder; does nothing when the file is missing.
void LaunchManager(const std::string& path);

// True when path names an existing file.
bool ManagerPathExists(const std::string& path);
