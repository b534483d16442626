// The installer's folder list and radio group. The installer shares no code
// with the editor's windows, so it keeps these two small controls itself.
#pragma once
#include <QGroupBox>
#include <QListWidget>
#include <QString>
#include <QStringList>
#include <vector>

class QRadioButton;

namespace sv {

// A list of the folders on the way to the current folder, then its
// subfolders; activating one (double click or Enter) makes it current.
class FolderList : public QListWidget {
    Q_OBJECT
public:
    explicit FolderList(QWidget* parent = nullptr);
    // Without a trailing '/' except for the root "/".
    const QString& directory() const { return directory_; }
    // Lists the folder and emits directoryChanged, even when it is current.
    void setDirectory(const QString& folder);
signals:
    void directoryChanged();

private:
    QString directory_;
};

// A group of radio buttons in columns with an item index.
class SetupRadioGroup : public QGroupBox {
    Q_OBJECT
public:
    SetupRadioGroup(const QStringList& items, int columns, QWidget* parent = nullptr);
    int itemIndex() const;
    void setItemIndex(int index);
    QRadioButton* button(int i) const { return buttons_.at(size_t(i)); }

private:
    std::vector<QRadioButton*> buttons_;
};

} // namespace sv
