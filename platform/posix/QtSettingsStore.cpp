#include "platform/posix/QtSettingsStore.h"

#include <QFile>
#include <QSettings>
#include <QStringList>

#include <algorithm>
#include <cstdlib>

namespace fwut {
namespace {

constexpr int kHighestPort = 100;

std::string ConfigFolder()
{
    const char* xdg = std::getenv("XDG_CONFIG_HOME");
    if (xdg != nullptr && *xdg != '\0') {
        return xdg;
    }
    const char* home = std::getenv("HOME");
    return std::string(home != nullptr ? home : "") + "/.config";
}

QString Key(const char* section, const char* entry)
{
    return QString::fromLocal8Bit(section) + QLatin1Char('/') + QString::fromLocal8Bit(entry);
}

// n of "COM<n>" ("COM" in any case, n from 1 to 100 without leading zeros), or -1.
int PortNumberOfKey(const QString& key)
{
    const QString digits = key.mid(3);
    const auto isDigit = [](QChar c) { return c.unicode() >= u'0' && c.unicode() <= u'9'; };
    if (!key.startsWith(QLatin1String("COM"), Qt::CaseInsensitive) || digits.isEmpty() || digits.size() > 3 ||
        digits.front() == QLatin1Char('0') || !std::all_of(digits.begin(), digits.end(), isDigit)) {
        return -1;
    }
    const int number = digits.toInt();
    return number <= kHighestPort ? number : -1;
}

// The INI reader splits an unquoted value at commas into a list; a device
// path is one text, so the pieces are joined again.
QString PathValue(const QVariant& value)
{
    return value.userType() == QMetaType::QStringList ? value.toStringList().join(QLatin1Char(','))
                                                      : value.toString();
}

}  // namespace

QtSettingsStore::QtSettingsStore(const std::string& applicationName)
    : m_path(ConfigFolder() + "/Fernhollow Systems/" + applicationName + ".conf")
{
}

int QtSettingsStore::GetProfileInt(const char* section, const char* entry, int defaultValue)
{
    const QSettings settings(QFile::decodeName(m_path.c_str()), QSettings::IniFormat);
    bool ok = false;
    const int value = settings.value(Key(section, entry)).toString().toInt(&ok, 10);
    return ok ? value : defaultValue;
}

bool QtSettingsStore::WriteProfileInt(const char* section, const char* entry, int value)
{
    QSettings settings(QFile::decodeName(m_path.c_str()), QSettings::IniFormat);
    settings.setValue(Key(section, entry), value);
    settings.sync();
    return settings.status() == QSettings::NoError;
}

std::map<int, std::string> QtSettingsStore::ReadPortMap()
{
    QSettings settings(QFile::decodeName(m_path.c_str()), QSettings::IniFormat);
    settings.beginGroup(QStringLiteral("Ports"));
    std::map<int, std::string> ports;
    for (const QString& key : settings.childKeys()) {
        const int number = PortNumberOfKey(key);
        const QString path = PathValue(settings.value(key)).trimmed();
        if (number > 0 && !path.isEmpty()) {
            ports[number] = QFile::encodeName(path).toStdString();
        }
    }
    return ports;
}

}  // namespace fwut
