#include "shell/select_dialog.h"

#include <QApplication>
#include <QButtonGroup>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QShowEvent>
#include <QStyle>
#include <QStyleOptionFrame>
#include <QStyledItemDelegate>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <algorithm>

#include "model/angle_keys.h"
#include "model/systems.h"
#include "shell/dialogs.h"

namespace tessarin::shell {

namespace {

const QColor kInspectorColour(166, 202, 240);

// The inspector: a tree whose text being edited can be taken over before the dialog
// reads its rows.
class TInspector final : public QTreeWidget {
public:
    void CommitOpenEditor() {
        for (QLineEdit* editor : viewport()->findChildren<QLineEdit*>()) {
            if (editor->isVisible()) {
                commitData(editor);
            }
        }
    }
};

// The range cells of rows that take a text are drawn as the line edits they open into,
// so that the places to type are seen before one is clicked.
class TFieldDelegate final : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override {
        if (index.column() != 1 || (index.flags() & Qt::ItemIsEditable) == 0) {
            QStyledItemDelegate::paint(painter, option, index);
            return;
        }
        const QWidget* widget = option.widget;
        QStyle* style = widget != nullptr ? widget->style() : QApplication::style();
        QStyleOptionFrame frame;
        frame.initFrom(widget);
        frame.rect = option.rect.adjusted(1, 1, -1, -1);
        frame.lineWidth = style->pixelMetric(QStyle::PM_DefaultFrameWidth, &frame, widget);
        frame.midLineWidth = 0;
        frame.state |= QStyle::State_Sunken;
        frame.palette.setColor(QPalette::Base, Qt::white);
        painter->save();
        painter->fillRect(frame.rect, Qt::white);
        style->drawPrimitive(QStyle::PE_PanelLineEdit, &frame, painter, widget);
        style->drawPrimitive(QStyle::PE_FrameLineEdit, &frame, painter, widget);
        painter->setPen(option.palette.color(QPalette::Text));
        painter->drawText(frame.rect.adjusted(4, 0, -4, 0), Qt::AlignLeft | Qt::AlignVCenter,
                          index.data(Qt::DisplayRole).toString());
        painter->restore();
    }

    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        QSize size = QStyledItemDelegate::sizeHint(option, index);
        size.setHeight(std::max(size.height(), option.fontMetrics.height() + 8));
        return size;
    }
};

QRadioButton* AddChoice(QButtonGroup& group, QVBoxLayout& layout, const QString& text, int id) {
    auto* button = new QRadioButton(text);
    group.addButton(button, id);
    layout.addWidget(button);
    return button;
}

}  // namespace

TSelectDlg::TSelectDlg(TDialogs& dialogs, QWidget* parent) : QDialog(parent), Dialogs(dialogs) {
    setObjectName(QStringLiteral("SelectDlg"));
    setWindowTitle(QStringLiteral("Выборка"));
    setFixedSize(624, 469);

    dxInspector = new TInspector;
    dxInspector->setObjectName(QStringLiteral("dxInspector"));
    dxInspector->setColumnCount(2);
    dxInspector->setHeaderHidden(true);
    dxInspector->setRootIsDecorated(true);
    dxInspector->setItemsExpandable(false);
    dxInspector->setUniformRowHeights(true);
    dxInspector->setEditTriggers(QAbstractItemView::AllEditTriggers);
    dxInspector->setItemDelegate(new TFieldDelegate(dxInspector));
    dxInspector->header()->setStretchLastSection(true);
    dxInspector->setColumnWidth(0, 152);  // the divider
    QPalette palette = dxInspector->palette();
    palette.setColor(QPalette::Base, kInspectorColour);
    dxInspector->setPalette(palette);
    for (const model::TSystemInfo& category : model::kSystems) {
        auto* group = new QTreeWidgetItem(dxInspector, {QString::fromUtf8(category.Caption)});
        group->setFlags(Qt::ItemIsEnabled);
        group->setFirstColumnSpanned(true);
        QFont bold = group->font(0);
        bold.setBold(true);
        group->setFont(0, bold);
        for (int i = 0; i < category.AngleCount; ++i) {
            auto* row = new QTreeWidgetItem(
                group, {QString::fromUtf8(model::kAngles.at(static_cast<std::size_t>(i)).Caption)});
            row->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsEditable);
            Rows.at(static_cast<std::size_t>(category.FirstQueryColumn + i)) = row;
        }
        const int system = static_cast<int>(&category - model::kSystems.data());
        for (int kind = model::kKindGn; kind < model::kAngleKindCount; ++kind) {
            if (!model::AngleDefined(system, kind)) {
                continue;
            }
            auto* row =
                new QTreeWidgetItem(group, {QString::fromUtf8(model::AngleKindInfo(kind).Caption)});
            row->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsEditable);
            row->setToolTip(0, row->text(0));  // longer than the divider leaves room for
            DerivedRows.push_back({{system, kind}, row});
        }
    }
    dxInspector->expandAll();

    Note = new QLabel;
    Note->setObjectName(QStringLiteral("Note"));
    Note->setTextFormat(Qt::PlainText);
    Note->setTextInteractionFlags(Qt::TextSelectableByMouse);
    Note->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    Note->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    Note->setMargin(4);
    SetExamples(',');

    auto* options = new QGroupBox(QStringLiteral("Опции"));
    auto* optionsLayout = new QVBoxLayout(options);

    auto* findIn = new QGroupBox(QStringLiteral("Искать"));
    findIn->setObjectName(QStringLiteral("RGFindIn"));
    RGFindInBox = findIn;
    auto* findInLayout = new QVBoxLayout(findIn);
    RGFindIn = new QButtonGroup(this);
    AddChoice(*RGFindIn, *findInLayout, QStringLiteral("во всей режущей кромке"), 0)
        ->setChecked(true);
    AddChoice(*RGFindIn, *findInLayout, QStringLiteral("в текущей выборке"), 1);
    optionsLayout->addWidget(findIn);

    auto* logic = new QGroupBox(QStringLiteral("Логика поиска"));
    logic->setObjectName(QStringLiteral("RGLogic"));
    auto* logicLayout = new QVBoxLayout(logic);
    RGLogic = new QButtonGroup(this);
    AddChoice(*RGLogic, *logicLayout, QStringLiteral("И"), 0)->setChecked(true);
    AddChoice(*RGLogic, *logicLayout, QStringLiteral("ИЛИ"), 1);
    optionsLayout->addWidget(logic);

    BitBtnReset = new QPushButton(QStringLiteral("Обнулить"));
    BitBtnReset->setObjectName(QStringLiteral("BitBtnReset"));
    BitBtnReset->setAutoDefault(false);
    optionsLayout->addWidget(BitBtnReset);
    optionsLayout->addStretch(1);

    BitBtnOK = new QPushButton(QStringLiteral("OK"));
    BitBtnOK->setObjectName(QStringLiteral("BitBtnOK"));
    BitBtnOK->setDefault(true);
    BitBtnCancel = new QPushButton(QStringLiteral("Отмена"));
    BitBtnCancel->setObjectName(QStringLiteral("BitBtnCancel"));
    BitBtnCancel->setAutoDefault(false);
    connect(BitBtnOK, &QPushButton::clicked, this, &TSelectDlg::BitBtnOKClick);
    connect(BitBtnCancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(BitBtnReset, &QPushButton::clicked, this, &TSelectDlg::BitBtnResetClick);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(BitBtnOK);
    buttons->addWidget(BitBtnCancel);

    auto* right = new QVBoxLayout;
    right->addWidget(Note);
    right->addWidget(options, 1);
    right->addLayout(buttons);

    auto* layout = new QHBoxLayout(this);
    layout->addWidget(dxInspector, 1);
    layout->addLayout(right);
}

void TSelectDlg::SetExamples(char decimalSeparator) {
    // The examples are written with the separator the texts are read with.
    QString examples = QStringLiteral("  \"-3,4..9,067 \" или \"0..-5,8; -7..-9,6; 3,2..10\"");
    if (decimalSeparator != ',') {
        examples.replace(QLatin1Char(','), QLatin1Char(decimalSeparator));
    }
    Note->setText(QStringLiteral("   Введите в поля диапазоны поиска значений \n"
                                 "углов через две точки, например:\n") +
                  examples);
}

void TSelectDlg::Prepare(bool selectionExists, const std::array<bool, 4>& definedAngles,
                         char decimalSeparator) {
    Separator = decimalSeparator;
    SetExamples(decimalSeparator);
    RGFindIn->button(selectionExists ? 1 : 0)->setChecked(true);
    RGFindInBox->setEnabled(selectionExists);
    for (int column = 0; column < model::kQueryColumnCount; ++column) {
        QTreeWidgetItem& row = Row(column);
        const bool defined =
            definedAngles.at(static_cast<std::size_t>(model::PlaceOfQueryColumn(column).System));
        if (defined) {
            row.setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsEditable);
        } else {
            row.setText(1, QString());
            // Still enabled, so that its caption reads, but the text cannot be edited.
            row.setFlags(Qt::ItemIsEnabled);
        }
        row.setForeground(1, defined ? palette().text() : palette().placeholderText());
        row.setForeground(0, defined ? palette().text() : palette().placeholderText());
    }
    for (const TDerivedRow& derived : DerivedRows) {
        QTreeWidgetItem& row = *derived.Item;
        const bool defined = definedAngles.at(static_cast<std::size_t>(derived.Angle.System));
        if (defined) {
            row.setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsEditable);
        } else {
            row.setText(1, QString());
            row.setFlags(Qt::ItemIsEnabled);
        }
        row.setForeground(1, defined ? palette().text() : palette().placeholderText());
        row.setForeground(0, defined ? palette().text() : palette().placeholderText());
    }
}

int TSelectDlg::DerivedRowIndex(const QTreeWidgetItem* item) const {
    for (std::size_t i = 0; i < DerivedRows.size(); ++i) {
        if (DerivedRows[i].Item == item) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

QTreeWidgetItem& TSelectDlg::AnyRow(int column) const {
    return column < model::kQueryColumnCount ? Row(column)
                                             : DerivedRow(column - model::kQueryColumnCount);
}

void TSelectDlg::BuildQuery(model::TSelectDlgInqury& query) {
    InvalidColumn = -1;
    bool anyText = false;
    for (int column = 0; column < model::kQueryColumnCount; ++column) {
        anyText = anyText || !Text(column).isEmpty();
    }
    for (const TDerivedRow& derived : DerivedRows) {
        anyText = anyText || !derived.Item->text(1).isEmpty();
    }
    AllEmpty = !anyText;

    for (int column = 0; column < model::kQueryColumnCount; ++column) {
        const QString text = Text(column);
        const auto index = static_cast<std::size_t>(column);
        if (text.isEmpty()) {
            query.Use.at(index) = false;
            query.Valid = true;
            continue;
        }
        if (!model::ParseRanges(text.toStdString(), Separator,
                                model::QueryColumn(query.Ranges, column))) {
            query.Valid = false;
            InvalidColumn = column;
            return;
        }
        query.Use.at(index) = true;
        query.Valid = true;
    }
    query.Derived.clear();
    for (std::size_t i = 0; i < DerivedRows.size(); ++i) {
        const QString text = DerivedRows[i].Item->text(1);
        if (text.isEmpty()) {
            continue;
        }
        model::TDerivedRange range{DerivedRows[i].Angle.System, DerivedRows[i].Angle.Kind, {}};
        if (!model::ParseRanges(text.toStdString(), Separator, range.Ranges)) {
            query.Valid = false;
            InvalidColumn = model::kQueryColumnCount + static_cast<int>(i);
            return;
        }
        query.Derived.push_back(std::move(range));
    }
    query.AndLogic = RGLogic->checkedId() != 1;
    query.WholeEdge = RGFindIn->checkedId() != 1;
}

QString TSelectDlg::Text(int column) const {
    return Row(column).text(1);
}

void TSelectDlg::SetText(int column, const QString& text) {
    Row(column).setText(1, text);
}

bool TSelectDlg::RowEditable(int column) const {
    return (Row(column).flags() & Qt::ItemIsEditable) != 0;
}

QRadioButton& TSelectDlg::FindIn(int index) const {
    return *static_cast<QRadioButton*>(RGFindIn->button(index));
}

QRadioButton& TSelectDlg::Logic(int index) const {
    return *static_cast<QRadioButton*>(RGLogic->button(index));
}

void TSelectDlg::showEvent(QShowEvent* event) {
    OKPressed = false;
    QDialog::showEvent(event);
}

void TSelectDlg::BitBtnOKClick() {
    OKPressed = true;
    accept();
}

void TSelectDlg::BitBtnResetClick() {
    for (int column = 0; column < model::kQueryColumnCount; ++column) {
        SetText(column, QString());
    }
    for (const TDerivedRow& derived : DerivedRows) {
        derived.Item->setText(1, QString());
    }
    accept();
}

void TSelectDlg::done(int result) {
    // A text still being edited counts as typed (Enter in the dialog does not end the
    // edit first).
    static_cast<TInspector*>(dxInspector)->CommitOpenEditor();
    Query = model::TSelectDlgInqury{};
    BuildQuery(Query);
    if (OKPressed && !Query.Valid) {
        // Which row, and its text as typed: with fifteen rows "wrong format" alone sends
        // the user looking.
        QString where;
        if (InvalidColumn >= 0) {
            const QTreeWidgetItem& row = AnyRow(InvalidColumn);
            where = QStringLiteral("%1, %2: \"%3\"")
                        .arg(row.parent() != nullptr ? row.parent()->text(0) : QString(),
                             row.text(0), row.text(1));
        }
        Dialogs.Beep();
        Dialogs.Warning(this, QStringLiteral("Неверный формат"), where);
        OKPressed = false;
        return;  // the dialog stays open with the texts as typed
    }
    QDialog::done(result);
}

}  // namespace tessarin::shell
