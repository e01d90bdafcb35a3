#include "document/side_bar.h"

#include <QPushButton>
#include <QToolButton>
#include <QVBoxLayout>

#include <cstdlib>

#include "document/panel_icons.h"
#include "model/systems.h"

namespace tessarin::document {

namespace {

struct TItemEntry {
    const char* Caption;
    int Icon;  // 0 compute, 1 define a system, 2 define the working plane
};

struct TGroupEntry {
    const char* Caption;
    std::vector<TItemEntry> Items;
};

const std::array<TGroupEntry, TSideBar::kGroupCount>& GroupEntries() {
    static const std::array<TGroupEntry, TSideBar::kGroupCount> entries{{
        {model::SystemInfo(model::kISK).Caption, {{"Рассчитать углы", 0}}},
        {model::SystemInfo(model::kSSK).Caption,
         {{"Определить систему координат", 1},
          {"Определить рабочую плоскость", 2},
          {"Рассчитать углы", 0}}},
        {model::SystemInfo(model::kKSK).Caption,
         {{"Определить систему координат", 1}, {"Рассчитать углы", 0}}},
        {model::SystemInfo(model::kDSK).Caption,
         {{"Определить систему координат", 1}, {"Рассчитать углы", 0}}},
    }};
    return entries;
}

// A tool button does not wrap its text: long captions are broken at the blank nearest
// their middle, as a side bar's large-icon items show them.
QString Wrapped(const QString& caption) {
    if (caption.size() <= 16) {
        return caption;
    }
    const qsizetype middle = caption.size() / 2;
    qsizetype best = -1;
    for (qsizetype i = 0; i < caption.size(); ++i) {
        if (caption[i] == QLatin1Char(' ') &&
            (best < 0 || std::abs(i - middle) < std::abs(best - middle))) {
            best = i;
        }
    }
    if (best < 0) {
        return caption;
    }
    QString wrapped = caption;
    wrapped[best] = QLatin1Char('\n');
    return wrapped;
}

}  // namespace

TSideBar::TSideBar(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("dxSideBar1"));
    setAutoFillBackground(true);
    QPalette palette = this->palette();
    palette.setColor(QPalette::Window, QColor(166, 202, 240));
    setPalette(palette);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(2, 2, 2, 2);
    layout->setSpacing(1);
    for (int g = 0; g < kGroupCount; ++g) {
        const TGroupEntry& entry = GroupEntries()[static_cast<std::size_t>(g)];
        TGroup& group = Groups[static_cast<std::size_t>(g)];
        group.Caption = new QPushButton(QString::fromUtf8(entry.Caption));
        group.Caption->setObjectName(QStringLiteral("SideBarGroup%1").arg(g));
        QFont font = group.Caption->font();
        font.setUnderline(true);
        font.setBold(true);
        group.Caption->setFont(font);
        group.Caption->setFlat(true);
        group.Caption->setCursor(Qt::PointingHandCursor);
        connect(group.Caption, &QPushButton::clicked, this, [this, g] { SetActiveGroup(g); });
        layout->addWidget(group.Caption);

        group.Page = new QWidget;
        auto* pageLayout = new QVBoxLayout(group.Page);
        pageLayout->setContentsMargins(4, 4, 4, 4);
        pageLayout->setSpacing(6);
        for (std::size_t i = 0; i < entry.Items.size(); ++i) {
            auto* item = new QToolButton;
            const QString caption = QString::fromUtf8(entry.Items[i].Caption);
            item->setText(Wrapped(caption));
            item->setAccessibleName(caption);
            item->setToolTip(caption);
            item->setIcon(SideBarIcon(entry.Items[i].Icon));
            item->setIconSize(QSize(48, 48));
            item->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
            item->setAutoRaise(true);
            item->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
            item->setObjectName(QStringLiteral("SideBarItem%1_%2").arg(g).arg(i));
            const int index = static_cast<int>(i);
            connect(item, &QToolButton::clicked, this,
                    [this, g, index] { emit ItemClicked(g, index); });
            pageLayout->addWidget(item, 0, Qt::AlignHCenter);
            group.Items.push_back(item);
        }
        pageLayout->addStretch(1);
        group.Page->setVisible(g == 0);
        layout->addWidget(group.Page, 1);
    }
    layout->addStretch(0);
    SetGroupShown(2, false);
    SetGroupShown(3, false);
}

void TSideBar::Open(int group) {
    Active = group;
    for (int g = 0; g < kGroupCount; ++g) {
        Groups[static_cast<std::size_t>(g)].Page->setVisible(g == group);
    }
}

void TSideBar::SetActiveGroup(int group) {
    if (group < 0 || group >= kGroupCount || !GroupShown(group) || group == Active) {
        return;
    }
    Open(group);
    emit ActiveGroupChanged(group);
}

void TSideBar::SetGroupShown(int group, bool shown) {
    TGroup& entry = Groups.at(static_cast<std::size_t>(group));
    entry.Caption->setVisible(shown);
    if (!shown) {
        entry.Page->setVisible(false);
        if (Active == group) {
            Open(0);
            emit ActiveGroupChanged(0);
        }
    } else {
        entry.Page->setVisible(Active == group);
    }
}

bool TSideBar::GroupShown(int group) const {
    return !Groups.at(static_cast<std::size_t>(group)).Caption->isHidden();
}

int TSideBar::ItemCount(int group) const {
    return static_cast<int>(Groups.at(static_cast<std::size_t>(group)).Items.size());
}

QString TSideBar::ItemCaption(int group, int item) const {
    return Item(group, item)->accessibleName();
}

QToolButton* TSideBar::Item(int group, int item) const {
    return Groups.at(static_cast<std::size_t>(group)).Items.at(static_cast<std::size_t>(item));
}

}  // namespace tessarin::document
