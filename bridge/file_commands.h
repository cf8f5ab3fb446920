#pragma once

class CommandTable;

// Files the pages read and edit through the file cache, and package
// unpacking: "ReadFileToStr", "ModifyFileFromStr", "savexml", "UnPackFile".
void addFileCommands(CommandTable& table);
