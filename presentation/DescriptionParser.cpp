#include "presentation/DescriptionParser.h"

#include "presentation/DescriptionLine.h"
#include "presentation/InstalledPlaces.h"
#include "presentation/SystemInfoTable.h"

#include <QFile>
#include <QFileInfo>
#include <QStringList>

namespace kavrin {

namespace {

struct Item {
    QString key;   // before the first "="
    QString value; // between the first and the second "="
};

Item splitItem(const QString& item) {
    const qsizetype equals = item.indexOf(u'=');
    if (equals < 0)
        return {item, {}};
    const qsizetype second = item.indexOf(u'=', equals + 1);
    return {item.left(equals), item.mid(equals + 1, second < 0 ? -1 : second - equals - 1)};
}

void setInfoRow(DescriptionEnvironment& env, SystemInfoRow row, const QString& text) {
    if (env.systemInfo)
        env.systemInfo->setRowText(row, text);
}

// The name as it can be shown in a log line.
QString printable(QString name) {
    for (QChar& ch : name)
        if (ch.category() == QChar::Other_Control)
            ch = u'?';
    return name;
}

void loadNamedFile(DescriptionEnvironment& env, const QString& name, uint32_t eventOffset) {
    if (!isPlainDescriptionName(name)) {
        env.log.warning(
            QStringLiteral("Module description name \"%1\" refused: not a plain file name.")
                .arg(printable(name)));
        return;
    }
    LoadDescriptionFile(env, QStringLiteral("Description/KAVRIN_") + name + QStringLiteral(".txt"),
                        eventOffset);
}

bool isModuleKey(const QString& key) {
    return key == u"M" || key == u"Module";
}

// A module item, optionally followed by a "V" item with its version, which it consumes.
void moduleEntry(DescriptionEnvironment& env, const QString& module, const QStringList& items,
                 qsizetype& position, uint32_t eventOffset) {
    QString name = module;
    if (position + 1 < items.size()) {
        const Item next = splitItem(items[position + 1]);
        if (next.key == u"V") {
            ++position;
            if (!next.value.isEmpty())
                name += u'_' + next.value;
        }
    }
    loadNamedFile(env, name, eventOffset);
}

void nameInterrupt(DescriptionEnvironment& env, uint32_t number, const QString& name) {
    IsrEntry& entry = env.isrs.obtain(number);
    entry.number = number;
    const QByteArray latin1 = name.toLatin1(); // the engine keeps names as stream text
    entry.name.assign(latin1.constData(), size_t(latin1.size()));
    if (entry.sortKey == -1 || entry.sortKey >= 1000)
        entry.sortKey = env.tables.nextInterruptSortKey++;
}

// "I#n" with a decimal interrupt number.
bool interruptNumber(const QString& key, uint32_t& number) {
    if (!key.startsWith(u"I#"))
        return false;
    bool ok = false;
    const QString digits = key.mid(2);
    number = uint32_t(digits.toInt(&ok, 10));
    if (!ok)
        number = digits.toUInt(&ok, 10);
    return ok;
}

} // namespace

bool isPlainDescriptionName(const QString& name) {
    if (name.contains(u'/') || name.contains(u'\\') || name.contains(u".."))
        return false;
    for (QChar ch : name)
        if (ch.category() == QChar::Other_Control)
            return false;
    return true;
}

void ParseSystemDescription(DescriptionEnvironment& env, const QString& text) {
    DescriptionTables& tables = env.tables;
    const QStringList items = text.split(u',');
    for (qsizetype i = 0; i < items.size(); ++i) {
        const auto [key, value] = splitItem(items[i]);
        uint32_t number = 0;
        if (key == u"N" || key == u"Name") {
            tables.applicationName = value;
            setInfoRow(env, SystemInfoRow::Name, value);
        } else if (key == u"O" || key == u"OS") {
            tables.operatingSystem = value;
            setInfoRow(env, SystemInfoRow::OS, value);
            loadNamedFile(env, value, 0);
        } else if (isModuleKey(key)) {
            moduleEntry(env, value, items, i, 0);
        } else if (interruptNumber(key, number)) {
            nameInterrupt(env, number, value);
        } else if (key == u"C" || key == u"Core") {
            tables.core = value;
        } else if (key == u"D" || key == u"Device") {
            tables.device = value;
            setInfoRow(env, SystemInfoRow::Device, value);
        }
    }
    if (env.identityChanged)
        env.identityChanged(tables.identityText());
}

void ParseModuleDescription(DescriptionEnvironment& env, const QString& text,
                            uint32_t eventOffset) {
    const QStringList items = text.split(u',');
    for (qsizetype i = 0; i < items.size(); ++i) {
        const auto [key, value] = splitItem(items[i]);
        if (isModuleKey(key)) {
            moduleEntry(env, value, items, i, eventOffset);
            continue;
        }
        const QString entry = items[i].simplified();
        // An empty item (a trailing comma) describes nothing.
        if (!entry.isEmpty())
            addModuleItem(env.tables, entry, eventOffset);
    }
}

void LoadDescriptionFile(DescriptionEnvironment& env, const QString& path, uint32_t eventOffset) {
    // The current directory, beside the program, then where an installation puts the files.
    QString found = path;
    if (!QFileInfo::exists(found)) {
        found = env.applicationDir + u'/' + path;
        const QString installed = installedDataDir(env.applicationDir) + u'/' + path;
        if (!QFileInfo::exists(found) && QFileInfo::exists(installed))
            found = installed;
        if (!QFileInfo::exists(found)) {
            env.log.warning(QStringLiteral("Module description %1 not found.").arg(found));
            return;
        }
    }
    if (env.tables.loadedFiles.contains(path))
        return;
    QFile file(found);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return;
    while (!file.atEnd()) {
        const QString line = QString::fromLatin1(file.readLine()).simplified();
        parseDescriptionLine(env.tables, env.reversePriority, line, eventOffset);
    }
    env.tables.loadedFiles.append(path);
}

} // namespace kavrin
