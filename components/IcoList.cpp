#include "components/IcoList.h"

#include <QBuffer>
#include <QFile>
#include <QImageReader>
#include <QImageWriter>
#include <QPixmap>
#include <algorithm>

#include "platform/little_endian.h"

namespace {

// Raises the list's update counter for a scope, reporting once at the end.
struct Update {
    TIconList& list;
    explicit Update(TIconList& l) : list(l) { list.BeginUpdate(); }
    ~Update() { list.EndUpdate(); }
};

// The same picture, whatever form it was made in.
bool samePicture(const QIcon& a, const QIcon& b) {
    if (a.isNull() || b.isNull()) return a.isNull() == b.isNull();
    return a.cacheKey() == b.cacheKey() || sv::largestIconImage(a) == sv::largestIconImage(b);
}

void put32(std::vector<uint8_t>& out, uint32_t v) {
    for (int i = 0; i < 4; ++i) out.push_back(uint8_t(v >> (8 * i)));
}

} // namespace

namespace sv {

QImage largestIconImage(const QIcon& icon) {
    const QList<QSize> sizes = icon.availableSizes();
    if (sizes.isEmpty()) return icon.pixmap(QSize(32, 32), 1.0).toImage().convertToFormat(QImage::Format_ARGB32);
    // Each size asked for in turn: for a size that two pictures of other
    // shapes share in area, Qt may hand back the other one fitted into it,
    // which can leave no pixel at all.
    QImage best;
    for (const QSize& s : sizes) {
        const QImage img = icon.pixmap(s, 1.0).toImage();
        if (!img.isNull() && (best.isNull() || img.width() * img.height() > best.width() * best.height())) best = img;
    }
    return best.convertToFormat(QImage::Format_ARGB32);
}

std::vector<uint8_t> iconToFileBytes(const QIcon& icon) {
    if (icon.isNull()) return {};
    // The largest size the icon holds: what the tray and the strip show.
    const QImage img = sv::largestIconImage(icon);
    if (img.isNull()) return {};
    QByteArray bytes;
    QBuffer buf(&bytes);
    buf.open(QIODevice::WriteOnly);
    QImageWriter w(&buf, "ico");
    if (!w.write(img)) return {};
    return std::vector<uint8_t>(bytes.begin(), bytes.end());
}

QIcon iconFromFileBytes(const uint8_t* data, size_t size) {
    if (!data || size < 6) return QIcon();
    QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    // A cursor file is read as an icon: only the type field differs.
    if (bytes[2] == 2 && bytes[3] == 0) bytes[2] = 1;
    QBuffer buf(&bytes);
    buf.open(QIODevice::ReadOnly);
    QImageReader r(&buf, "ico");
    QIcon icon;
    const int n = std::max(1, r.imageCount());
    for (int i = 0; i < n; ++i) {
        if (i > 0 && !r.jumpToNextImage()) break;
        const QImage img = r.read();
        if (img.isNull()) break;
        icon.addPixmap(QPixmap::fromImage(img));
    }
    return icon;
}

QIcon loadIconResource(const std::string& name) {
    const QString n = QString::fromStdString(name);
    for (const QString& path : {":/icons/" + n + ".ico", ":/icons/" + n, n}) {
        QFile f(path);
        if (!f.exists() || !f.open(QIODevice::ReadOnly)) continue;
        const QByteArray b = f.readAll();
        QIcon icon = iconFromFileBytes(reinterpret_cast<const uint8_t*>(b.constData()), size_t(b.size()));
        if (!icon.isNull()) return icon;
    }
    return QIcon();
}

} // namespace sv

void TIconList::EndUpdate() {
    if (updateCount_ > 0 && --updateCount_ == 0) Changed();
}

void TIconList::Changed() {
    if (updateCount_ == 0 && OnChange) OnChange();
}

void TIconList::check(int index) const {
    if (index < 0 || index >= int(icons_.size())) throw std::out_of_range("List index out of bounds (" + std::to_string(index) + ")");
}

QIcon TIconList::Get(int index) const {
    check(index);
    return icons_[size_t(index)];
}

void TIconList::Put(int index, const QIcon& icon) {
    if (index == Count()) icons_.emplace_back();
    check(index);
    icons_[size_t(index)] = icon;
    Changed();
}

int TIconList::Add(const QIcon& icon) {
    icons_.push_back(icon);
    Changed();
    return Count() - 1;
}

int TIconList::AddResource(const std::string& name) { return Add(sv::loadIconResource(name)); }

void TIconList::Clear() {
    Update u(*this);
    for (int i = Count() - 1; i >= 0; --i) Delete(i);
}

void TIconList::Delete(int index) {
    check(index);
    icons_.erase(icons_.begin() + index);
    Changed();
}

void TIconList::Exchange(int index1, int index2) {
    check(index1);
    check(index2);
    std::swap(icons_[size_t(index1)], icons_[size_t(index2)]);
    Changed();
}

int TIconList::IndexOf(const QIcon& icon) const {
    for (size_t i = 0; i < icons_.size(); ++i)
        if (icons_[i].cacheKey() == icon.cacheKey()) return int(i);
    return -1;
}

void TIconList::Insert(int index, const QIcon& icon) {
    if (index < 0 || index > Count()) check(index);
    icons_.insert(icons_.begin() + index, icon);
    Changed();
}

void TIconList::InsertResource(int index, const std::string& name) { Insert(index, sv::loadIconResource(name)); }

void TIconList::Move(int curIndex, int newIndex) {
    if (curIndex == newIndex) return;
    check(curIndex);
    check(newIndex);
    QIcon icon = icons_[size_t(curIndex)];
    icons_.erase(icons_.begin() + curIndex);
    icons_.insert(icons_.begin() + newIndex, icon);
    Changed();
}

void TIconList::Assign(const TIconList& source) {
    if (&source == this) return;
    Update u(*this);
    Clear();
    for (const QIcon& icon : source.icons_) Add(icon);
}

void TIconList::Assign(const QIcon& icon) {
    Update u(*this);
    Clear();
    Add(icon);
}

void TIconList::ReadData(const std::vector<uint8_t>& data) {
    Update u(*this);
    Clear();
    if (data.size() < 4) throw std::runtime_error("Stream read error");
    const uint32_t count = sv::getU32(data.data());
    size_t pos = 4;
    // Every entry takes at least its 4-byte size: a count the data cannot
    // hold is damage, not a reason to reserve memory.
    if (count > (data.size() - pos) / 4) throw std::runtime_error("Stream read error");
    for (uint32_t i = 0; i < count; ++i) {
        if (data.size() - pos < 4) throw std::runtime_error("Stream read error");
        const uint32_t size = sv::getU32(data.data() + pos);
        pos += 4;
        if (size > data.size() - pos) throw std::runtime_error("Stream read error");
        Add(size ? sv::iconFromFileBytes(data.data() + pos, size) : QIcon());
        pos += size;
    }
}

std::vector<uint8_t> TIconList::WriteData() const {
    std::vector<uint8_t> out;
    put32(out, uint32_t(icons_.size()));
    for (const QIcon& icon : icons_) {
        const std::vector<uint8_t> bytes = sv::iconToFileBytes(icon);
        put32(out, uint32_t(bytes.size()));
        out.insert(out.end(), bytes.begin(), bytes.end());
    }
    return out;
}

bool TIconList::shouldStore(const TIconList* inherited) const {
    if (!inherited || inherited->Count() != Count()) return Count() > 0;
    for (int i = 0; i < Count(); ++i)
        if (!samePicture(icons_[size_t(i)], inherited->icons_[size_t(i)])) return true;
    return false;
}
