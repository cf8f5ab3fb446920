#pragma once

#include <QString>
#include <QVariantMap>

// A page request decoded into what the dispatcher does with it, in this
// order: a text mentioning "maxsizeWindow" anywhere maximises the window, one
// mentioning "restoreWindow" restores it (both case-sensitive substring
// tests, before any parsing); otherwise the text must be a JSON object with
// a member "FuncName" (exactly so), whose value names the command and whose
// other members are its arguments.
struct DecodedRequest {
    enum Kind {
        MaximizeWindow,
        RestoreWindow,
        Command,
        NotAnObject,   // not JSON, or JSON but not an object: dropped
        NoFuncName,    // an object without "FuncName": dropped
    };
    Kind kind = NotAnObject;
    QString name;
    QVariantMap args;   // the whole object, "FuncName" included
};

DecodedRequest decodeRequest(const QString& request);
