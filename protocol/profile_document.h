#pragma once

#include <QList>
#include <QString>

#include <pugixml.hpp>

// One key of a profile mode: /Configuration/Mode/Key with its attributes,
// "" for those it lacks.
struct ProfileKey
{
    QString index;
    QString name;
    QString value;
    QString length;
    QString type;
    QString playCount;
    QString playType;
    QString playWay;
    QString playDelay;
    QString playLight;
    QString playJitters;
    QString playVoices;
};

// A parsed profile document: root Configuration, Conf/Key rows (Index 2 names
// the device) and Mode elements (by Index) whose Key children describe the
// keys of that profile mode. Modes and keys are selected by number, as the
// queries Mode[@Index=n] and Mode/Key[@Index=n] do: "1" and "01" name the
// same one, and a text that is not a number names none.
class ProfileDocument
{
public:
    // Parses text, replacing the previous document; false, and empty, when
    // it does not parse.
    bool load(const QString& text);
    void clear();
    bool isLoaded() const;

    // The device key of /Configuration/Conf/Key[@Index=2]; "" when none.
    QString deviceKey() const;

    // Whether /Configuration/Mode[@Index=index] exists.
    bool hasMode(const QString& index) const;

    // The Key children of /Configuration/Mode[@Index=index], in document
    // order; empty when there is no such mode.
    QList<ProfileKey> modeKeys(const QString& index) const;

    // The first /Configuration/Mode/Key[@Index=index] of any mode; false
    // when there is none.
    bool key(const QString& index, ProfileKey* key) const;

private:
    pugi::xml_node select(const char* query, const QString& index) const;

    pugi::xml_document m_doc;
    bool m_loaded = false;
};
