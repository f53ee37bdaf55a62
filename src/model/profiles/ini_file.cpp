#include "model/profiles/ini_file.h"

#include "engine/media/format_helpers.h"
#include "platform/file_replace.h"

#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>

// Text stays UTF-8 bytes end to end; Qt does every conversion.
#define SI_NO_CONVERSION
#define SI_IMPLEMENTATION // the Debian header keeps the template bodies behind this switch
#include <SimpleIni.h>

namespace vc {
namespace {

// SimpleIni (with quote parsing on) strips one pair of outer double quotes when reading, and only
// adds them when writing a value with outer blanks. Wrapping every value that already starts and
// ends with a quote keeps such values (quoted "Options" items) exact in both directions.
std::string ToStored(const QString& value) {
    QString v = value;
    v.replace(QLatin1Char('\r'), QLatin1Char(' ')).replace(QLatin1Char('\n'), QLatin1Char(' '));
    if (v.size() >= 2 && v.startsWith(QLatin1Char('"')) && v.endsWith(QLatin1Char('"')))
        v = QLatin1Char('"') + v + QLatin1Char('"');
    return v.toStdString();
}

} // namespace

struct IniFile::Data {
    CSimpleIniA ini{/*a_bIsUtf8=*/true, /*a_bMultiKey=*/false, /*a_bMultiLine=*/false};
};

IniFile::IniFile(QString path) : path_(std::move(path)), data_(std::make_unique<Data>()) {
    data_->ini.SetQuotes(true);
    data_->ini.SetSpaces(false);
    QFile file(path_);
    if (!file.exists())
        return;
    if (!file.open(QIODevice::ReadOnly))
        throw Error("Unable to read " + path_.toStdString() + ": " + file.errorString().toStdString());
    Parse(file.readAll());
}

IniFile::IniFile(QString path, const QByteArray& bytes)
    : path_(std::move(path)), data_(std::make_unique<Data>()) {
    data_->ini.SetQuotes(true);
    data_->ini.SetSpaces(false);
    Parse(bytes);
}

void IniFile::Parse(const QByteArray& bytes) {
    QStringDecoder utf8(QStringDecoder::Utf8);
    const QString text = utf8.decode(bytes);
    if (utf8.hasError() || bytes.contains('\0') ||
        data_->ini.LoadData(bytes.constData(), static_cast<size_t>(bytes.size())) < 0)
        throw EIniText("Unable to read " + path_.toStdString() + ": it is not a valid UTF-8 INI file");
}

IniFile::~IniFile() = default;

bool IniFile::HasKey(const QString& section, const QString& key) const {
    return data_->ini.GetValue(section.toStdString().c_str(), key.toStdString().c_str(), nullptr) != nullptr;
}

QStringList IniFile::Keys(const QString& section) const {
    CSimpleIniA::TNamesDepend keys;
    data_->ini.GetAllKeys(section.toStdString().c_str(), keys);
    keys.sort(CSimpleIniA::Entry::LoadOrder());
    QStringList names;
    for (const auto& key : keys)
        names << QString::fromUtf8(key.pItem);
    return names;
}

QString IniFile::ReadString(const QString& section, const QString& key, const QString& fallback) const {
    const char* value =
        data_->ini.GetValue(section.toStdString().c_str(), key.toStdString().c_str(), nullptr);
    return value == nullptr ? fallback : QString::fromUtf8(value);
}

void IniFile::WriteString(const QString& section, const QString& key, const QString& value) {
    data_->ini.SetValue(section.toStdString().c_str(), key.toStdString().c_str(), ToStored(value).c_str());
}

int IniFile::ReadInteger(const QString& section, const QString& key, int fallback) const {
    const auto value = TryParseInt(ReadString(section, key, QString()).toStdString());
    return value ? *value : fallback;
}

void IniFile::WriteInteger(const QString& section, const QString& key, int value) {
    WriteString(section, key, QString::number(value));
}

bool IniFile::ReadBool(const QString& section, const QString& key, bool fallback) const {
    return ReadInteger(section, key, fallback ? 1 : 0) != 0;
}

void IniFile::WriteBool(const QString& section, const QString& key, bool value) {
    WriteString(section, key, value ? QStringLiteral("1") : QStringLiteral("0"));
}

double IniFile::ReadFloat(const QString& section, const QString& key, double fallback) const {
    QString text = ReadString(section, key, QString()).trimmed();
    text.replace(QLatin1Char(','), QLatin1Char('.')); // files written under a decimal-comma locale
    bool ok = false;
    const double value = text.toDouble(&ok);
    return ok ? value : fallback;
}

void IniFile::WriteFloat(const QString& section, const QString& key, double value) {
    // The shortest text that reads back as the same double.
    QString text = QString::number(value, 'g', 17);
    for (int precision = 1; precision < 17; ++precision) {
        const QString shorter = QString::number(value, 'g', precision);
        if (shorter.toDouble() == value) {
            text = shorter;
            break;
        }
    }
    WriteString(section, key, text);
}

void IniFile::Save() const {
    std::string text;
    if (data_->ini.Save(text, /*a_bAddSignature=*/false) < 0)
        throw Error("Unable to write to " + path_.toStdString());
    const QFileInfo info(path_);
    // A read-only file must stay read-only: replacing it through a temporary file would succeed.
    if (info.exists() && !info.isWritable())
        throw Error("Unable to write to " + path_.toStdString());
    // Through a synced temporary file: a failed write leaves the old file whole.
    try {
        ReplaceFileContents(path_, QByteArray::fromStdString(text));
    } catch (const Error&) {
        throw Error("Unable to write to " + path_.toStdString());
    }
}

} // namespace vc
