#include "preset_store.h"

#include "logging.h"
#include "whole_file.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace {

bool sameSet(const PresetSet& a, const PresetSet& b)
{
    return a.presetsJson() == b.presetsJson() && a.rulesJson() == b.rulesJson();
}

} // namespace

PresetStore::PresetStore(const QString& folder, QObject* parent)
    : QObject(parent)
    , m_folder(QDir::cleanPath(folder))
    , m_set(PresetSet::initial())
{
    connect(&m_watcher, &QFileSystemWatcher::directoryChanged, this, &PresetStore::load);
    connect(&m_watcher, &QFileSystemWatcher::fileChanged, this, &PresetStore::load);
}

QString PresetStore::path(const QString& name) const
{
    return m_folder + QLatin1Char('/') + name;
}

std::optional<QByteArray> PresetStore::read(const QString& name, QString* why) const
{
    QFile file(path(name));
    if (!file.exists())
        return std::nullopt;
    if (!file.open(QIODevice::ReadOnly)) {
        *why = file.errorString();
        return QByteArray();
    }
    // One byte past the limit is enough for the parser to refuse it.
    return file.read(PresetSet::kMaxFileSize + 1);
}

void PresetStore::load()
{
    PresetSet next = m_set;
    QStringList problems;
    QString why;
    const std::optional<QByteArray> presets = read(presetsFileName(), &why);
    if (presets) {
        QString defaultPreset;
        if (std::optional<QVector<Preset>> read = PresetSet::presetsFromJson(*presets, &defaultPreset, &why)) {
            next.presets = std::move(*read);
            next.defaultPreset = defaultPreset;
        } else {
            problems << QStringLiteral("%1 was refused (%2); the last good presets stay in effect.")
                            .arg(presetsFileName(), why);
        }
    } else if (!m_loaded) {
        // The remapping made before there were presets becomes the default.
        QFile remap(path(remapFileName()));
        const QString map = remap.open(QIODevice::ReadOnly) ? QString::fromUtf8(remap.read(PresetSet::kMaxMap)) : QString();
        const PresetSet initial = PresetSet::initial(map);
        next.presets = initial.presets;
        next.defaultPreset = initial.defaultPreset;
    }
    why.clear();
    const std::optional<QByteArray> rules = read(rulesFileName(), &why);
    if (rules) {
        if (std::optional<QVector<PresetRule>> read = PresetSet::rulesFromJson(*rules, &why))
            next.rules = std::move(*read);
        else
            problems << QStringLiteral("%1 was refused (%2); the last good rules stay in effect.").arg(rulesFileName(), why);
    } else if (!m_loaded) {
        next.rules.clear();
    }
    for (const QString& problem : problems) {
        if (!m_problems.contains(problem))
            LOG_WARNING(QStringLiteral("Application Error: %1").arg(problem));
    }
    const bool problemsChanged = problems != m_problems;
    m_problems = problems;
    const bool setChanged = !m_loaded || !sameSet(next, m_set);
    m_loaded = true;
    m_set = std::move(next);
    if (setChanged || problemsChanged)
        emit changed();
}

void PresetStore::watch()
{
    if (!m_watcher.directories().contains(m_folder) && QFileInfo(m_folder).isDir())
        m_watcher.addPath(m_folder);
    for (const QString& name : {presetsFileName(), rulesFileName()}) {
        if (QFileInfo::exists(path(name)) && !m_watcher.files().contains(path(name)))
            m_watcher.addPath(path(name));
    }
}

bool PresetStore::save(const PresetSet& set, QString* why)
{
    if (!set.check(why))
        return false;
    if (!QDir().mkpath(m_folder)) {
        *why = QStringLiteral("cannot make the folder %1").arg(m_folder);
        return false;
    }
    for (const auto& [name, bytes] : {std::pair<QString, QByteArray>{presetsFileName(), set.presetsJson()},
                                      std::pair<QString, QByteArray>{rulesFileName(), set.rulesJson()}}) {
        QSaveFile file(path(name));
        if (!file.open(QIODevice::WriteOnly) || !writeWholeFile(file, bytes)) {
            *why = QStringLiteral("cannot write %1: %2").arg(name, file.errorString());
            LOG_WARNING(QStringLiteral("Application Error: %1").arg(*why));
            return false;
        }
    }
    const bool changedSet = !sameSet(set, m_set) || !m_problems.isEmpty();
    m_set = set;
    m_problems.clear();
    m_loaded = true;
    watch();
    if (changedSet)
        emit changed();
    return true;
}
