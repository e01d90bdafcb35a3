// The side bar of a document window (dxSideBar1): one group per coordinate system, one
// open at a time, each with large-icon items that define a system or the working plane
// or compute the angles.
//
// Groups: 0 "Инструментальная СК" (0 "Рассчитать углы"), 1 "Статическая СК"
// (0 "Определить систему координат", 1 "Определить рабочую плоскость", 2 "Рассчитать
// углы"), 2 "Кинематическая СК" and 3 "Динамическая СК" (0 "Определить систему
// координат", 1 "Рассчитать углы"). Group 0 starts open; groups 2 and 3 start hidden.
#pragma once

#include <QWidget>

#include <array>
#include <vector>

class QPushButton;
class QToolButton;
class QVBoxLayout;

namespace tessarin::document {

class TSideBar final : public QWidget {
    Q_OBJECT

public:
    explicit TSideBar(QWidget* parent = nullptr);

    static constexpr int kGroupCount = 4;

    int ActiveGroup() const { return Active; }
    // Opens `group` as a click on its caption does (emits ActiveGroupChanged when it
    // changes). A hidden group is not opened.
    void SetActiveGroup(int group);
    // A hidden group that was open hands over to group 0.
    void SetGroupShown(int group, bool shown);
    bool GroupShown(int group) const;

    int ItemCount(int group) const;
    QString ItemCaption(int group, int item) const;
    QToolButton* Item(int group, int item) const;

signals:
    void ActiveGroupChanged(int group);
    void ItemClicked(int group, int item);

private:
    struct TGroup {
        QPushButton* Caption = nullptr;
        QWidget* Page = nullptr;
        std::vector<QToolButton*> Items;
    };
    void Open(int group);

    std::array<TGroup, kGroupCount> Groups;
    int Active = 0;
};

}  // namespace tessarin::document
