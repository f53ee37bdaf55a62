#pragma once
// An INI file read into memory, edited and written back whole, over SimpleIni. Values are UTF-8;
// keys keep their order, and keys that are not written again stay as they were.
#include "platform/error.h"

#include <QString>
#include <QStringList>
#include <memory>

namespace vc {

// The file's bytes are not UTF-8 INI text (as opposed to a file that cannot be read at all).
class EIniText : public Error {
public:
    using Error::Error;
};

class IniFile {
public:
    // Reads `path` when it exists; a missing file starts empty. Throws vc::Error for a file that
    // exists but cannot be read, EIniText for one that is not valid UTF-8 INI text.
    explicit IniFile(QString path);
    // `bytes` read as the content of `path` (Save writes there). Throws EIniText as above.
    IniFile(QString path, const QByteArray& bytes);
    ~IniFile();
    IniFile(const IniFile&) = delete;
    IniFile& operator=(const IniFile&) = delete;

    const QString& Path() const { return path_; }

    QString ReadString(const QString& section, const QString& key, const QString& fallback) const;
    void WriteString(const QString& section, const QString& key, const QString& value);
    // Decimal (or "$"/"0x" hexadecimal) integers; a missing or unreadable value gives `fallback`.
    int ReadInteger(const QString& section, const QString& key, int fallback) const;
    void WriteInteger(const QString& section, const QString& key, int value);
    // Written as "1" / "0"; read as any integer, not 0 meaning true.
    bool ReadBool(const QString& section, const QString& key, bool fallback) const;
    void WriteBool(const QString& section, const QString& key, bool value);
    // Written in the shortest form that reads back exactly ("12.2", "128"); read with "." or ","
    // as the decimal separator.
    double ReadFloat(const QString& section, const QString& key, double fallback) const;
    void WriteFloat(const QString& section, const QString& key, double value);
    bool HasKey(const QString& section, const QString& key) const;
    // The keys of `section` in file order.
    QStringList Keys(const QString& section) const;

    // Writes the whole file (through a temporary file, so a failed write never leaves it half
    // written). Throws vc::Error("Unable to write to <path>").
    void Save() const;

private:
    void Parse(const QByteArray& bytes);

    QString path_;
    struct Data;
    std::unique_ptr<Data> data_;
};

} // namespace vc
