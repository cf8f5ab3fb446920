#pragma once

class CommandTable;

// Music lighting and the sounds: "OnlineMusic", "AlertMusic", "MediaPlay",
// "RGBMusicPlay", "MediaStop".
void addMusicCommands(CommandTable& table);
