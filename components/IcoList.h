// An owned list of icons: the frames of the tray icon's animation. An entry
// may be empty. Changes are reported through OnChange, held back while an
// update is open.
#pragma once
#include <QIcon>
#include <QImage>

#include <cstdint>
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

// Assigning something the list cannot take.
class EConvertError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

class TIconList {
public:
    TIconList() = default;
    TIconList(const TIconList& other) { Assign(other); }
    TIconList& operator=(const TIconList& other) {
        Assign(other);
        return *this;
    }
    virtual ~TIconList() = default;

    // Called after every change made outside an update.
    std::function<void()> OnChange;

    // Nested; the outermost EndUpdate reports the change.
    void BeginUpdate() { ++updateCount_; }
    void EndUpdate();
    bool updating() const { return updateCount_ > 0; }

    virtual void Changed();
    virtual int Count() const { return int(icons_.size()); }
    // Throws std::out_of_range for an index outside the list.
    virtual QIcon Get(int index) const;
    // At index == Count an empty entry is appended first; the list keeps a
    // copy of the icon.
    virtual void Put(int index, const QIcon& icon);
    virtual int Add(const QIcon& icon);
    // A named icon of the program's resources (":/icons/<name>.ico", or a
    // file name); an unknown name adds an empty entry.
    virtual int AddResource(const std::string& name);
    virtual void Clear();
    virtual void Delete(int index);
    virtual void Exchange(int index1, int index2);
    // Index of the entry holding this icon (the same icon data), or -1.
    virtual int IndexOf(const QIcon& icon) const;
    virtual void Insert(int index, const QIcon& icon);
    virtual void InsertResource(int index, const std::string& name);
    // The form data "Icons": a 32-bit count, then for each entry a 32-bit
    // size and the icon in icon-file form (size 0 for an empty entry).
    virtual void ReadData(const std::vector<uint8_t>& data);
    virtual void Move(int curIndex, int newIndex);
    virtual std::vector<uint8_t> WriteData() const;
    // Whether the form stores "Icons": a non-empty list, or against an
    // inherited list of the same count, any entry that differs.
    bool shouldStore(const TIconList* inherited = nullptr) const;

    QIcon operator[](int index) const { return Get(index); }
    const std::vector<QIcon>& icons() const { return icons_; }

    void Assign(const TIconList& source);
    void Assign(const QIcon& icon);
    // Assigning nothing clears the list.
    void Assign(std::nullptr_t) { Clear(); }

private:
    void check(int index) const;
    std::vector<QIcon> icons_;
    int updateCount_ = 0;
};

namespace sv {
// An icon in icon-file form, and back (an empty icon for bytes that are not
// an icon file).
std::vector<uint8_t> iconToFileBytes(const QIcon& icon);
QIcon iconFromFileBytes(const uint8_t* data, size_t size);
// The icon's picture at the largest size it holds, with its alpha.
QImage largestIconImage(const QIcon& icon);
// A named icon of the program's resources, or an empty icon.
QIcon loadIconResource(const std::string& name);
} // namespace sv
