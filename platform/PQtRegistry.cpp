#include "platform/PQtRegistry.h"

#include <QDir>
#include <QFileInfo>
#include <QIODevice>
#include <QSettings>

#include <cstdlib>

namespace platform {

namespace {

bool NeedsEscape(char c, bool isName) {
    switch (c) {
    case '%':
    case '\r':
    case '\n':
    case '\0':
        return true;
    case '=':
    case '[':
    case ']':
        return isName;
    default:
        return false;
    }
}

QByteArray Escape(const QByteArray& in, bool isName) {
    QByteArray out;
    out.reserve(in.size());
    static const char hex[] = "0123456789ABCDEF";
    for (char c : in) {
        if (NeedsEscape(c, isName)) {
            const auto u = static_cast<unsigned char>(c);
            out += '%';
            out += hex[u >> 4];
            out += hex[u & 15];
        } else {
            out += c;
        }
    }
    return out;
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

bool Unescape(const QByteArray& in, QByteArray& out) {
    out.clear();
    out.reserve(in.size());
    for (qsizetype i = 0; i < in.size(); ++i) {
        if (in[i] != '%') {
            out += in[i];
            continue;
        }
        if (i + 2 >= in.size()) return false;
        const int h = HexDigit(in[i + 1]), l = HexDigit(in[i + 2]);
        if (h < 0 || l < 0) return false;
        out += static_cast<char>(h * 16 + l);
        i += 2;
    }
    return true;
}

QByteArray EncodeValue(const QVariant& v) {
    switch (v.typeId()) {
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::Bool:
        return "i:" + QByteArray::number(static_cast<std::int32_t>(v.toLongLong()));
    case QMetaType::QByteArray:
        return "b:" + v.toByteArray().toHex();
    default:
        return "s:" + Escape(v.toString().toUtf8(), false);
    }
}

// A value whose text is not one of the three forms is kept as a string, so a hand-edited file
// still loads and the reader reports a wrong type instead of losing the key.
QVariant DecodeValue(const QByteArray& text) {
    const QByteArray body = text.mid(2);
    if (text.startsWith("i:")) {
        bool ok = false;
        const qlonglong n = body.trimmed().toLongLong(&ok);
        if (ok && n >= INT32_MIN && n <= INT32_MAX) return QVariant(static_cast<int>(n));
    } else if (text.startsWith("b:")) {
        const QByteArray bytes = QByteArray::fromHex(body);
        if (bytes.toHex() == body.toLower()) return QVariant(bytes);
    } else if (text.startsWith("s:")) {
        QByteArray raw;
        if (Unescape(body, raw)) return QVariant(QString::fromUtf8(raw));
    }
    return QVariant(QString::fromUtf8(text));
}

bool ReadStore(QIODevice& device, QSettings::SettingsMap& map) {
    QByteArray group;
    while (!device.atEnd()) {
        QByteArray line = device.readLine();
        while (line.endsWith('\n') || line.endsWith('\r'))
            line.chop(1);
        if (line.isEmpty() || line.startsWith(';') || line.startsWith('#')) continue;
        if (line.startsWith('[') && line.endsWith(']')) {
            QByteArray g;
            if (!Unescape(line.mid(1, line.size() - 2), g)) return false;
            group = g;
            continue;
        }
        const qsizetype eq = line.indexOf('=');
        if (eq <= 0) continue;
        QByteArray name;
        if (!Unescape(line.left(eq), name)) continue;
        const QByteArray key = group.isEmpty() ? name : group + '/' + name;
        map.insert(QString::fromUtf8(key), DecodeValue(line.mid(eq + 1)));
    }
    return true;
}

bool WriteStore(QIODevice& device, const QSettings::SettingsMap& map) {
    // The program's own values first, then each sub-key in name order.
    QMap<QString, QList<QPair<QString, QVariant>>> groups;
    for (auto it = map.cbegin(); it != map.cend(); ++it) {
        const qsizetype slash = it.key().lastIndexOf('/');
        const QString group = slash < 0 ? QString() : it.key().left(slash);
        const QString name = slash < 0 ? it.key() : it.key().mid(slash + 1);
        groups[group].append({name, it.value()});
    }
    QByteArray out;
    for (auto g = groups.cbegin(); g != groups.cend(); ++g) {
        if (!g.key().isEmpty()) {
            if (!out.isEmpty()) out += '\n';
            out += '[' + Escape(g.key().toUtf8(), true) + "]\n";
        }
        for (const auto& [name, value] : g.value())
            out += Escape(name.toUtf8(), true) + '=' + EncodeValue(value) + '\n';
    }
    return device.write(out) == out.size();
}

QSettings::Format StoreFormat() {
    static const QSettings::Format format =
        QSettings::registerFormat(QStringLiteral("conf"), ReadStore, WriteStore, Qt::CaseSensitive);
    return format;
}

QString FromView(std::string_view s) {
    return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size()));
}

QString CleanKey(std::string_view key) {
    QString k = FromView(key);
    k.replace('\\', '/');
    while (k.startsWith('/'))
        k.remove(0, 1);
    while (k.endsWith('/'))
        k.chop(1);
    return k;
}

} // namespace

std::string SettingsFileName(std::string_view program) {
    std::string base;
    if (const char* xdg = std::getenv("XDG_CONFIG_HOME"); xdg && *xdg) {
        base = xdg;
    } else {
        const char* home = std::getenv("HOME");
        base = std::string(home ? home : "") + "/.config";
    }
    return base + "/Ombrelith/" + std::string(program) + ".conf";
}

TRegistry::TRegistry(std::string_view program) : TRegistry(SettingsFileName(program), 0) {}

TRegistry::TRegistry(std::string fileName, int)
    : FFileName(std::move(fileName)),
      FSettings(std::make_unique<QSettings>(QString::fromStdString(FFileName), StoreFormat())) {}

TRegistry TRegistry::AtFile(const std::string& path) {
    return TRegistry(path, 0);
}

TRegistry::~TRegistry() {
    if (FSettings) Flush();
}

TRegistry::TRegistry(TRegistry&&) noexcept = default;
TRegistry& TRegistry::operator=(TRegistry&&) noexcept = default;

QString TRegistry::Path(std::string_view name) const {
    const QString n = FromView(name);
    return FKey.empty() ? n : QString::fromStdString(FKey) + '/' + n;
}

bool TRegistry::KeyExists(std::string_view key) const {
    const QString k = CleanKey(key);
    if (k.isEmpty()) return !FSettings->allKeys().isEmpty();
    const QString prefix = k + '/';
    for (const QString& full : FSettings->allKeys())
        if (full.startsWith(prefix)) return true;
    return false;
}

bool TRegistry::OpenKey(std::string_view key, bool canCreate) {
    if (!canCreate && !KeyExists(key)) return false;
    FKey = CleanKey(key).toStdString();
    return true;
}

bool TRegistry::ValueExists(std::string_view name) const {
    return FSettings->contains(Path(name));
}

TRegRead<std::int32_t> TRegistry::ReadInteger(std::string_view name) const {
    const QVariant v = FSettings->value(Path(name));
    if (!v.isValid()) return {TRegStatus::Missing, 0};
    if (v.typeId() != QMetaType::Int) return {TRegStatus::WrongType, 0};
    return {TRegStatus::Ok, v.toInt()};
}

TRegRead<bool> TRegistry::ReadBool(std::string_view name) const {
    const TRegRead<std::int32_t> n = ReadInteger(name);
    return {n.status, n.value != 0};
}

TRegRead<std::string> TRegistry::ReadString(std::string_view name) const {
    const QVariant v = FSettings->value(Path(name));
    if (!v.isValid()) return {TRegStatus::Missing, {}};
    if (v.typeId() != QMetaType::QString) return {TRegStatus::WrongType, {}};
    return {TRegStatus::Ok, v.toString().toStdString()};
}

TRegRead<TBytes> TRegistry::ReadBinary(std::string_view name) const {
    const QVariant v = FSettings->value(Path(name));
    if (!v.isValid()) return {TRegStatus::Missing, {}};
    if (v.typeId() != QMetaType::QByteArray) return {TRegStatus::WrongType, {}};
    const QByteArray b = v.toByteArray();
    return {TRegStatus::Ok, TBytes(b.begin(), b.end())};
}

int TRegistry::DataSize(std::string_view name) const {
    const QVariant v = FSettings->value(Path(name));
    switch (v.typeId()) {
    case QMetaType::UnknownType:
        return -1;
    case QMetaType::Int:
        return 4;
    case QMetaType::QByteArray:
        return static_cast<int>(v.toByteArray().size());
    default:
        return static_cast<int>(v.toString().toUtf8().size());
    }
}

void TRegistry::WriteInteger(std::string_view name, std::int32_t value) {
    FSettings->setValue(Path(name), QVariant(static_cast<int>(value)));
}

void TRegistry::WriteString(std::string_view name, std::string_view value) {
    FSettings->setValue(Path(name), QVariant(FromView(value)));
}

void TRegistry::WriteBinary(std::string_view name, const TBytes& value) {
    FSettings->setValue(Path(name), QVariant(QByteArray(reinterpret_cast<const char*>(value.data()),
                                                        static_cast<qsizetype>(value.size()))));
}

void TRegistry::DeleteValue(std::string_view name) {
    FSettings->remove(Path(name));
}

void TRegistry::DeleteKey(std::string_view key) {
    const QString k = CleanKey(key);
    if (k.isEmpty())
        FSettings->clear();
    else
        FSettings->remove(k);
}

bool TRegistry::Flush() {
    QDir().mkpath(QFileInfo(QString::fromStdString(FFileName)).absolutePath());
    FSettings->sync();
    return FSettings->status() == QSettings::NoError;
}

} // namespace platform
