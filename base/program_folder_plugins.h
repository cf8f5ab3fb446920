#pragma once

// Qt searches the program's own folder for plugins besides its installed
// plugin folder. The program's folder holds what pages and downloads write
// (never under a plugin folder's name, see program_files.h), so once the
// application object exists it is taken off Qt's plugin search: a plugin
// loaded later (image formats, network bearers, media) comes only from Qt's
// own installation or QT_PLUGIN_PATH. Call right after the application
// object is constructed.
void keepPluginsOutOfProgramFolder();
