#include "presentation/models/MessageModel.h"

#include "engine/EventStore.h"
#include "presentation/Presentation.h"

#include <QBrush>

#include <algorithm>
#include <cstring>

namespace kavrin {

namespace {

constexpr std::array<const char*, 3> Headers{"Timestamp", "Context", "Message"};
constexpr int MessageDigits = 6;

} // namespace

QString messageText(const EventNode& node) {
    const EventRecord& record = node.record;
    // The formatted text is stored with its terminating NUL.
    const auto* chars = reinterpret_cast<const char*>(record.payload);
    QString text = chars ? QString::fromLatin1(chars, qsizetype(strnlen(chars, record.payloadSize)))
                         : QString();
    text.remove(u'\r');
    text.remove(u'\n');
    return text.isEmpty() ? QStringLiteral("Empty printf string") : text;
}

MessageModel::MessageModel(const ContextTracker& tracker, const Presentation& presentation,
                           QObject* parent)
    : QAbstractItemModel(parent), tracker_(tracker), presentation_(presentation) {}

QModelIndex MessageModel::index(int row, int column, const QModelIndex& parent) const {
    return hasIndex(row, column, parent) ? createIndex(row, column) : QModelIndex();
}

QModelIndex MessageModel::parent(const QModelIndex&) const {
    return {};
}

int MessageModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : listed_;
}

int MessageModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(Headers.size());
}

bool MessageModel::hasChildren(const QModelIndex& parent) const {
    return !parent.isValid() && listed_ > 0;
}

const MessageItem* MessageModel::item(const QModelIndex& index) const {
    if (!index.isValid() || index.model() != this || index.row() >= listed_)
        return nullptr;
    return &items_[size_t(index.row())];
}

QVariant MessageModel::data(const QModelIndex& index, int role) const {
    const MessageItem* message = item(index);
    if (!message)
        return {};
    const int column = index.column();
    switch (role) {
    case Qt::DisplayRole:
        return message->texts[size_t(column)];
    case Qt::TextAlignmentRole:
        return QVariant::fromValue(Qt::Alignment(Qt::AlignLeft | Qt::AlignVCenter));
    case Qt::DecorationRole:
        if (column == 1)
            return contextIcons_.icon(tracker_, message->contextBefore, message->contextAfter);
        if (column == 2)
            return modelIcon(messageLevelIcon(message->level));
        return {};
    case Qt::ToolTipRole:
        return QStringLiteral("Timestamp:\t%1\nContext:\t\t%2\nMessage:\t\t%3")
            .arg(message->texts[0], message->texts[1].simplified(), message->texts[2].simplified());
    case Qt::ForegroundRole:
        if (column == 2 && message->level == 1)
            return QBrush(Qt::darkYellow);
        if (column == 2 && message->level == 2)
            return QBrush(Qt::red);
        return {};
    default:
        return {};
    }
}

QVariant MessageModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section >= 0 &&
        section < int(Headers.size()))
        return QString::fromLatin1(Headers[size_t(section)]);
    return {};
}

void MessageModel::addMessage(const EventNode& node) {
    const EventRecord& record = node.record;
    if (!items_.empty() && record.index <= items_.back().eventIndex)
        return;
    MessageItem message;
    message.texts = {ClockTextFromTicks(presentation_.timeBase, record.timestamp, MessageDigits),
                     ContextNameText(tracker_, record.context), messageText(node)};
    message.eventIndex = record.index;
    message.level = record.param2 & 15;
    message.contextBefore = record.contextBefore;
    message.contextAfter = record.contextAfter;
    items_.push_back(std::move(message));
    if (!held_)
        listNewRows();
}

void MessageModel::holdRows(bool hold) {
    held_ = hold;
    if (!hold)
        listNewRows();
}

void MessageModel::listNewRows() {
    if (listed_ == int(items_.size()))
        return;
    beginInsertRows({}, listed_, int(items_.size()) - 1);
    listed_ = int(items_.size());
    endInsertRows();
}

void MessageModel::clear() {
    beginResetModel();
    items_.clear();
    listed_ = 0;
    endResetModel();
}

QModelIndex MessageModel::rowOfEvent(uint32_t eventIndex) const {
    const auto listed = items_.begin() + listed_;
    const auto found = std::find_if(items_.begin(), listed, [eventIndex](const auto& item) {
        return item.eventIndex == eventIndex;
    });
    return found == listed ? QModelIndex() : index(int(found - items_.begin()), 0);
}

} // namespace kavrin
