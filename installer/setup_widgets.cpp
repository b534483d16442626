#include "installer/setup_widgets.h"

#include <QDir>
#include <QGridLayout>
#include <QRadioButton>

namespace sv {

FolderList::FolderList(QWidget* parent) : QListWidget(parent) {
    connect(this, &QListWidget::itemActivated, this, [this](QListWidgetItem* item) {
        setDirectory(item->data(Qt::UserRole).toString());
    });
}

void FolderList::setDirectory(const QString& folder) {
    QString dir = QDir::cleanPath(folder.isEmpty() ? QStringLiteral("/") : folder);
    directory_ = dir;
    clear();
    // The way down from the root, each level indented one step further.
    QStringList levels = dir.split('/', Qt::SkipEmptyParts);
    QString path = "/";
    auto* root = new QListWidgetItem("/", this);
    root->setData(Qt::UserRole, path);
    int depth = 1;
    for (const QString& level : levels) {
        path = path == "/" ? "/" + level : path + "/" + level;
        auto* item = new QListWidgetItem(QString(depth * 2, ' ') + level, this);
        item->setData(Qt::UserRole, path);
        ++depth;
    }
    setCurrentRow(count() - 1);
    const QStringList subs = QDir(dir).entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name | QDir::IgnoreCase);
    for (const QString& sub : subs) {
        auto* item = new QListWidgetItem(QString(depth * 2, ' ') + sub, this);
        item->setData(Qt::UserRole, dir == "/" ? "/" + sub : dir + "/" + sub);
    }
    emit directoryChanged();
}

SetupRadioGroup::SetupRadioGroup(const QStringList& items, int columns, QWidget* parent) : QGroupBox(parent) {
    auto* grid = new QGridLayout(this);
    const int rows = (int(items.size()) + columns - 1) / columns;
    for (int i = 0; i < items.size(); ++i) {
        auto* b = new QRadioButton(items[i], this);
        grid->addWidget(b, i % rows, i / rows);
        buttons_.push_back(b);
    }
}

int SetupRadioGroup::itemIndex() const {
    for (size_t i = 0; i < buttons_.size(); ++i)
        if (buttons_[i]->isChecked()) return int(i);
    return -1;
}

void SetupRadioGroup::setItemIndex(int index) {
    if (index >= 0 && index < int(buttons_.size())) buttons_[size_t(index)]->setChecked(true);
}

} // namespace sv
