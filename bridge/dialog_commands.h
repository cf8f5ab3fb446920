#pragma once

class CommandTable;

// Commands that ask the user for a file: "saveFileDialog",
// "OpenFileDialog", "openFileDialogEx", "SaveCommand", "LoadCommand".
// The dialogs are the host's; the chosen path is the user's own choice and
// may lie anywhere.
void addDialogCommands(CommandTable& table);
