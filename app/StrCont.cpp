#include "app/StrCont.h"

#include <QWidget>
#include <limits>

#include "app/FormLocalizer.h"

namespace cinevan {
namespace {

constexpr int kMaxHexDigits = 8;

[[noreturn]] void notAnInteger(const QByteArray& text) {
    throw EConvertError("'" + text.toStdString() + "' is not a valid integer value");
}

int hexDigit(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return -1;
}

}  // namespace

int strToInt(const QByteArray& text) {
    qsizetype pos = 0;
    const bool negative = text.startsWith('-');
    if (negative || text.startsWith('+')) {
        ++pos;
    }
    const bool hex = pos < text.size() && text[pos] == '$';
    pos += hex ? 1 : 0;
    const int base = hex ? 16 : 10;
    const qsizetype digits = text.size() - pos;
    if (digits == 0 || (hex && digits > kMaxHexDigits)) {
        notAnInteger(text);
    }
    qint64 value = 0;
    for (; pos < text.size(); ++pos) {
        const int digit = hexDigit(text[pos]);
        if (digit < 0 || digit >= base) {
            notAnInteger(text);
        }
        value = value * base + digit;
        if (!hex && value > qint64(std::numeric_limits<int>::max()) + 1) {
            notAnInteger(text);
        }
    }
    value = negative ? -value : value;
    if (hex) {
        return static_cast<int>(static_cast<quint32>(value));
    }
    if (value > std::numeric_limits<int>::max()) {
        notAnInteger(text);
    }
    return static_cast<int>(value);
}

void TStringContainer::SetFileName(const QString& name) {
    if (name == FFileName) {
        return;
    }
    FFileName = name;
    FIniFile.reset();
    if (!name.isEmpty()) {
        FIniFile = std::make_unique<PrivateProfile>(name);
    }
}

int TStringContainer::IndexOf(int index) const {
    for (int i = 0; i < Count(); ++i) {
        if (FStrings[i].index == index) {
            return i;
        }
    }
    return -1;
}

QString TStringContainer::GetString(int index) const {
    const int position = IndexOf(index);
    return position < 0 ? QString() : FStrings[position].text;
}

void TStringContainer::SetString(int index, const QString& text) {
    const int position = IndexOf(index);
    if (position >= 0 && text.isEmpty()) {
        FStrings.removeAt(position);
    } else if (position >= 0) {
        FStrings[position].text = text;
    } else if (!text.isEmpty()) {
        FStrings.append({index, text});
    }
}

void TStringContainer::AddSection(const QString& section) {
    if (!FIniFile) {
        throw EStringContainerError("File name is not given");
    }
    const QByteArray name = section.toLocal8Bit();
    for (const QByteArray& key : FIniFile->ReadKeyNames(name)) {
        const QByteArray value = FIniFile->ReadString(name, key);
        SetString(strToInt(key), QString::fromLocal8Bit(value));
    }
}

void TStringContainer::LocalizeForm(QWidget* form) const {
    if (!FIniFile) {
        throw EStringContainerError("File name is not given");
    }
    FormLocalizer(*FIniFile).Localize(form);
}

void TStringContainer::LocalizeComponent(QObject* component, const QWidget& form) const {
    if (!FIniFile) {
        throw EStringContainerError("File name is not given");
    }
    FormLocalizer(*FIniFile).LocalizeComponent(component, form);
}

TStringContainer& StringContainer() {
    static TStringContainer instance;
    return instance;
}

}  // namespace cinevan
