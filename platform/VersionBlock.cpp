#include "platform/VersionBlock.h"

#include <QtEndian>

namespace cinevan {
namespace {

constexpr int kHeaderSize = 6;  // length, value length, type: three 16-bit words
constexpr quint32 kFixedInfoSignature = 0xFEEF04BD;
constexpr quint32 kFixedInfoVersion = 0x00010000;
constexpr quint16 kBinary = 0;
constexpr quint16 kText = 1;

qsizetype Align4(qsizetype offset) {
    return (offset + 3) & ~qsizetype{3};
}

void PadTo4(QByteArray& data) {
    data.append(Align4(data.size()) - data.size(), '\0');
}

void AppendWord(QByteArray& data, quint16 value) {
    char bytes[2];
    qToLittleEndian(value, bytes);
    data.append(bytes, 2);
}

void AppendDword(QByteArray& data, quint32 value) {
    char bytes[4];
    qToLittleEndian(value, bytes);
    data.append(bytes, 4);
}

void AppendUtf16(QByteArray& data, const QString& text) {
    for (const QChar c : text) {
        AppendWord(data, c.unicode());
    }
    AppendWord(data, 0);
}

// One node: header, key, value and the already laid out children. `valueLength` counts
// 16-bit characters for text values and bytes for binary ones, as Windows stores it.
QByteArray Node(const QString& key, quint16 type, const QByteArray& value, quint16 valueLength,
                const QByteArray& children = {}) {
    QByteArray node(kHeaderSize, '\0');
    AppendUtf16(node, key);
    PadTo4(node);
    node.append(value);
    if (!children.isEmpty()) {
        PadTo4(node);
        node.append(children);
    }
    qToLittleEndian(static_cast<quint16>(node.size()), node.data());
    qToLittleEndian(valueLength, node.data() + 2);
    qToLittleEndian(type, node.data() + 4);
    return node;
}

QByteArray TextNode(const QString& key, const QString& value) {
    QByteArray utf16;
    AppendUtf16(utf16, value);
    return Node(key, kText, utf16, static_cast<quint16>(value.size() + 1));
}

// Children follow one another, each starting on a 4-byte boundary.
void AppendChild(QByteArray& children, const QByteArray& child) {
    PadTo4(children);
    children.append(child);
}

QByteArray FixedFileInfo(const std::array<quint16, 4>& v) {
    QByteArray info;
    AppendDword(info, kFixedInfoSignature);
    AppendDword(info, kFixedInfoVersion);
    for (int pass = 0; pass < 2; ++pass) {  // file version, then product version
        AppendDword(info, (quint32{v[0]} << 16) | v[1]);
        AppendDword(info, (quint32{v[2]} << 16) | v[3]);
    }
    info.append(7 * 4, '\0');  // flags mask, flags, OS, type, subtype, date (2 words)
    return info;
}

QString TranslationKey(quint16 language, quint16 codePage) {
    return QStringLiteral("%1%2")
        .arg(language, 4, 16, QLatin1Char('0'))
        .arg(codePage, 4, 16, QLatin1Char('0'))
        .toUpper();
}

// The bounds of one node inside the block, as read from its header.
struct NodeView {
    qsizetype begin = 0;
    qsizetype end = 0;  // begin + the node's length
    quint16 valueLength = 0;
    quint16 type = 0;
    QString key;
    qsizetype valueBegin = 0;
};

quint16 WordAt(const QByteArray& block, qsizetype offset) {
    return qFromLittleEndian<quint16>(block.constData() + offset);
}

std::optional<NodeView> ReadNode(const QByteArray& block, qsizetype begin, qsizetype limit) {
    if (begin < 0 || limit > block.size() || begin + kHeaderSize > limit) {
        return std::nullopt;
    }
    NodeView node;
    node.begin = begin;
    node.end = begin + WordAt(block, begin);
    node.valueLength = WordAt(block, begin + 2);
    node.type = WordAt(block, begin + 4);
    if (node.end < begin + kHeaderSize || node.end > limit) {
        return std::nullopt;
    }
    qsizetype offset = begin + kHeaderSize;
    for (;; offset += 2) {
        if (offset + 2 > node.end) {
            return std::nullopt;  // the key runs past its node
        }
        const quint16 c = WordAt(block, offset);
        if (c == 0) {
            break;
        }
        node.key.append(QChar(c));
    }
    node.valueBegin = Align4(offset + 2);
    return node;
}

qsizetype ValueSize(const NodeView& node) {
    return node.type == kText ? qsizetype{node.valueLength} * 2 : node.valueLength;
}

qsizetype ChildrenBegin(const NodeView& node) {
    return Align4(node.valueBegin + ValueSize(node));
}

std::optional<NodeView> FindChild(const QByteArray& block, const NodeView& parent,
                                  const QString& key) {
    for (qsizetype offset = ChildrenBegin(parent); offset < parent.end;) {
        const std::optional<NodeView> child = ReadNode(block, offset, parent.end);
        if (!child) {
            return std::nullopt;
        }
        if (child->key.compare(key, Qt::CaseInsensitive) == 0) {
            return child;
        }
        offset = Align4(child->end);
    }
    return std::nullopt;
}

}  // namespace

QString VersionValue::text() const {
    if (!isText) {
        return {};
    }
    QString result;
    for (qsizetype i = 0; i + 1 < bytes.size(); i += 2) {
        const quint16 c = qFromLittleEndian<quint16>(bytes.constData() + i);
        if (c == 0) {
            break;
        }
        result.append(QChar(c));
    }
    return result;
}

QByteArray BuildVersionBlock(const VersionBlockContent& content) {
    const QByteArray fixed = FixedFileInfo(content.fileVersion);

    QByteArray strings;
    for (const auto& [name, value] : content.strings) {
        AppendChild(strings, TextNode(name, value));
    }
    const QByteArray table =
        Node(TranslationKey(content.language, content.codePage), kText, {}, 0, strings);
    const QByteArray stringInfo = Node(QStringLiteral("StringFileInfo"), kText, {}, 0, table);

    QByteArray translation;
    AppendDword(translation, (quint32{content.codePage} << 16) | content.language);
    const QByteArray var = Node(QStringLiteral("Translation"), kBinary, translation, 4);
    const QByteArray varInfo = Node(QStringLiteral("VarFileInfo"), kText, {}, 0, var);

    QByteArray children;
    AppendChild(children, stringInfo);
    AppendChild(children, varInfo);
    return Node(QStringLiteral("VS_VERSION_INFO"), kBinary, fixed,
                static_cast<quint16>(fixed.size()), children);
}

std::optional<VersionValue> QueryVersionValue(const QByteArray& block, const QString& path) {
    std::optional<NodeView> node = ReadNode(block, 0, block.size());
    const QStringList keys = path.split(QLatin1Char('\\'), Qt::SkipEmptyParts);
    for (const QString& key : keys) {
        if (!node) {
            return std::nullopt;
        }
        node = FindChild(block, *node, key);
    }
    if (!node || node->valueBegin + ValueSize(*node) > node->end) {
        return std::nullopt;
    }
    return VersionValue{block.mid(node->valueBegin, ValueSize(*node)), node->type == kText};
}

}  // namespace cinevan
