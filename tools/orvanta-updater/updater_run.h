#pragma once

#include <memory>

#include <QString>

#include "updater_arguments.h"

class PackageCheck;

// One run of the updater: wait for the program to quit, download the
// package into a work folder inside the installation, check and unpack it
// into a staging folder there, move the files over the installation, and
// start the program again (unless the update is silent). A failure at any
// step leaves the installation as it was, and the program, which the user
// quit for the update, is started again all the same (unless the update is
// silent). Only a package a trusted key signed, of a release not older
// than the one installed last, is unpacked. The download has a deadline and a minimum rate, so that a slow
// or stalling server cannot keep the updater waiting; the work folder is
// removed in every case. Every step is logged.
class UpdaterRun
{
public:
    explicit UpdaterRun(const UpdaterArguments& arguments);

    // The program restarted after an update: "orvanta" in the installation.
    static QString programName();

    // 0 on success, 2 on failure.
    int exec();

private:
    bool waitForProgramToQuit();
    bool download(const QString& workFolder, const std::shared_ptr<PackageCheck>& check, QString* why);
    bool restartProgram();

    UpdaterArguments m_arguments;
    QString m_folder;
};
