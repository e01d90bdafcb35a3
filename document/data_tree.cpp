#include "document/data_tree.h"

#include <QHeaderView>
#include <QInputEvent>

#include <algorithm>
#include <array>

#include "document/panel_icons.h"
#include "model/angle_keys.h"
#include "model/columns.h"
#include "model/systems.h"

namespace tessarin::document {

namespace {

// The system (0..3) of a cutting-edge kind 2..20, and the angle's position in it (-1
// for the system node itself).
struct TKindPlace {
    int System = -1;
    int Angle = -1;
};

TKindPlace PlaceOf(int edgeKind) {
    for (int s = model::kSystemCount - 1; s >= 0; --s) {
        const int systemKind = model::SystemInfo(s).TreeKind;
        if (edgeKind >= systemKind) {
            return {s, edgeKind == systemKind ? -1 : edgeKind - systemKind - 1};
        }
    }
    return {};
}

}  // namespace

int SystemNodeKind(int system) {
    return model::SystemInfo(system).TreeKind;
}

std::vector<int> ShownColumnsOf(const std::vector<int>& selectedKinds) {
    std::vector<int> columns;
    std::array<bool, 2> groupHead{};  // number and polar columns appended, per group
    std::array<std::array<bool, 4>, 2> complete{};
    for (const int kind : selectedKinds) {
        const int group = IsSelectionKind(kind) ? 1 : 0;
        const int offset = group == 1 ? model::kSelectionColumnOffset : 0;
        const int edgeKind = kind - group * kSelectionKindOffset;
        if (!groupHead[static_cast<std::size_t>(group)]) {
            columns.push_back(1 + offset);
            columns.push_back(2 + offset);
            groupHead[static_cast<std::size_t>(group)] = true;
        }
        if (edgeKind == kCutEdgeRootKind || IsExtraCode(kind)) {
            continue;
        }
        const TKindPlace place = PlaceOf(edgeKind);
        if (place.System < 0) {
            continue;
        }
        const int first = model::SystemInfo(place.System).FirstColumn;
        bool& systemComplete =
            complete[static_cast<std::size_t>(group)][static_cast<std::size_t>(place.System)];
        if (place.Angle < 0) {
            // A system node brings all of its columns; its angle nodes, which follow it
            // in tree order, then add nothing.
            if (!systemComplete) {
                for (int c = 0; c < model::SystemInfo(place.System).AngleCount; ++c) {
                    columns.push_back(first + c + offset);
                }
            }
            systemComplete = true;
        } else if (!systemComplete) {
            const int column = first + place.Angle + offset;
            if (std::find(columns.begin(), columns.end(), column) == columns.end()) {
                columns.push_back(column);
            }
        }
    }
    return columns;
}

std::vector<int> DerivedColumnsOf(const std::vector<int>& selectedKinds) {
    std::vector<int> codes;
    for (const int kind : selectedKinds) {
        if (IsExtraCode(kind) && std::find(codes.begin(), codes.end(), kind) == codes.end()) {
            codes.push_back(kind);
        }
    }
    return codes;
}

TDataTree::TDataTree(QWidget* parent) : QTreeWidget(parent) {
    setObjectName(QStringLiteral("TreeViewData"));
    setHeaderHidden(true);
    setIndentation(19);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setColumnCount(1);
    // Connected first, so every other receiver sees the selection already kept to one
    // group.
    connect(this, &QTreeWidget::itemSelectionChanged, this, &TDataTree::KeepOneGroup);
}

void TDataTree::KeepOneGroup() {
    bool edge = false;
    bool selection = false;
    for (const int kind : SelectedKinds()) {
        (IsSelectionKind(kind) ? selection : edge) = true;
    }
    if (edge && selection) {
        int keep = ChosenGroup;
        if (keep < 0) {
            keep = IsSelectionKind(KindOf(currentItem())) ? 1 : 0;
        }
        const QSignalBlocker blocker(this);
        for (QTreeWidgetItemIterator it(this); *it != nullptr; ++it) {
            if ((*it)->isSelected() && (IsSelectionKind(KindOf(*it)) ? 1 : 0) != keep) {
                (*it)->setSelected(false);
            }
        }
        ChosenGroup = keep;
        return;
    }
    ChosenGroup = edge ? 0 : selection ? 1 : -1;
}

void TDataTree::Build(const model::TModel& model) {
    const QSignalBlocker blocker(this);
    clear();
    Kinds.clear();
    ChosenGroup = -1;
    auto add = [this](QTreeWidgetItem* parent, const QString& caption, int kind, int icon) {
        auto* node = parent != nullptr ? new QTreeWidgetItem(parent) : new QTreeWidgetItem(this);
        node->setText(0, caption);
        node->setToolTip(0, caption);  // the tree is narrow
        node->setData(0, Qt::UserRole, kind);
        node->setIcon(0, TreeIcon(icon));
        Kinds.push_back(kind);
        return node;
    };
    for (int group = 0; group < 2; ++group) {
        const bool exists = group == 0 ? model.CutEdgeExist : model.SelectCutEdgeExist;
        if (!exists) {
            continue;
        }
        const int offset = group * kSelectionKindOffset;
        QTreeWidgetItem* root =
            add(nullptr, group == 0 ? QStringLiteral("Режущая кромка") : QStringLiteral("Выборка"),
                kCutEdgeRootKind + offset, group == 0 ? 0 : 9);
        for (int s = 0; s < model::kSystemCount; ++s) {
            if (!model.DefinedAngles.at(static_cast<std::size_t>(s))) {
                continue;
            }
            const model::TSystemInfo& info = model::SystemInfo(s);
            const int systemKind = info.TreeKind + offset;
            QTreeWidgetItem* system = add(root, QString::fromUtf8(info.Caption), systemKind, 1 + s);
            for (int a = 0; a < info.AngleCount; ++a) {
                add(system,
                    QString::fromUtf8(model::kAngles.at(static_cast<std::size_t>(a)).Caption),
                    systemKind + 1 + a, 5 + a);
            }
            for (int kind = model::kKindGn; kind < model::kAngleKindCount; ++kind) {
                if (model::AngleDefined(s, kind)) {
                    // The icon of the stored angle of the same family.
                    static constexpr std::array<int, model::kAngleKindCount> kIcon{
                        5, 6, 7, 8, 5, 6, 7, 7, 5, 6, 5, 6, 8};
                    add(system, QString::fromUtf8(model::AngleKindInfo(kind).Caption),
                        DerivedCode({s, kind}, group == 1),
                        kIcon.at(static_cast<std::size_t>(kind)));
                }
            }
        }
        add(root, QStringLiteral("Кромки"), EdgeColumnCode(group == 1), 0);
        root->setExpanded(true);
    }
}

int TDataTree::KindOf(const QTreeWidgetItem* node) {
    return node != nullptr ? node->data(0, Qt::UserRole).toInt() : 0;
}

std::vector<int> TDataTree::SelectedKinds() const {
    std::vector<int> kinds;
    for (QTreeWidgetItemIterator it(const_cast<TDataTree*>(this)); *it != nullptr; ++it) {
        if ((*it)->isSelected()) {
            kinds.push_back(KindOf(*it));
        }
    }
    return kinds;
}

QTreeWidgetItem* TDataTree::FindNode(int kind) const {
    for (QTreeWidgetItemIterator it(const_cast<TDataTree*>(this)); *it != nullptr; ++it) {
        if (KindOf(*it) == kind) {
            return *it;
        }
    }
    return nullptr;
}

void TDataTree::SelectNode(QTreeWidgetItem* node) {
    emit NodeChanging(KindOf(node));
    setCurrentItem(node, 0, QItemSelectionModel::ClearAndSelect);
}

QItemSelectionModel::SelectionFlags TDataTree::selectionCommand(const QModelIndex& index,
                                                                const QEvent* event) const {
    const QItemSelectionModel::SelectionFlags command = QTreeWidget::selectionCommand(index, event);
    if (!index.isValid() || command == QItemSelectionModel::NoUpdate) {
        return command;
    }
    Qt::KeyboardModifiers modifiers = Qt::NoModifier;
    if (event != nullptr &&
        (event->type() == QEvent::MouseButtonPress || event->type() == QEvent::MouseButtonRelease ||
         event->type() == QEvent::MouseMove || event->type() == QEvent::KeyPress)) {
        modifiers = static_cast<const QInputEvent*>(event)->modifiers();
    }
    const int kind = KindOf(itemFromIndex(index));
    if ((modifiers & (Qt::ControlModifier | Qt::ShiftModifier)) != 0) {
        // Several nodes only within one group: the table shows one group at a time.
        for (const int selected : SelectedKinds()) {
            if (IsSelectionKind(selected) != IsSelectionKind(kind)) {
                return QItemSelectionModel::NoUpdate;
            }
        }
    }
    // A drag passes over nodes it may not take; the group shown follows the selection
    // that results (TDataPanel), not the node under the mouse.
    if (event == nullptr || event->type() != QEvent::MouseMove) {
        emit const_cast<TDataTree*>(this)->NodeChanging(kind);
    }
    return command;
}

}  // namespace tessarin::document
