#pragma once

class CommandTable;

// The update commands: "UpdateFirmware" (download a firmware package and
// flash it), "ExecuteUpdate--" (flash an image already on disk) and
// "DownloadFile" (download and unpack a package of page files). They run on
// the dispatcher's thread and hand the work to the host's UpdateService;
// progress reaches the page as "onUpdateFirmware" and "RefreshDownState".
void addUpdateCommands(CommandTable& table);
