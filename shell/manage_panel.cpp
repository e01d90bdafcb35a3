#include "shell/manage_panel.h"

#include <QCursor>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QTableView>
#include <QToolButton>

#include <algorithm>
#include <array>

#include "document/data_panel.h"
#include "document/mdi_child.h"
#include "model/analysis_steps.h"
#include "shell/dialogs.h"
#include "shell/float_edit.h"

namespace tessarin::shell {

namespace {

using document::TMDIChild;

constexpr int kPanelHeight = 50;
constexpr int kEditTop = 20;
constexpr int kFirstEditLeft = 200;
constexpr int kSecondEditLeft = 450;
constexpr int kCaptionGap = 12;
// Where the pointer goes on the table when a segment is to be picked.
constexpr int kPickPointerOffset = 120;

const QString kNoMainSegment =
    QStringLiteral("Главный отрезок режущей кромки не найден: рабочая плоскость не построена");

struct TModeLayout {
    const char* FirstCaption;
    int FirstMin;
    int FirstMax;
    const char* SecondCaption;  // nullptr: the second edit is hidden
    int SecondMin;
    int SecondMax;
};

TModeLayout LayoutOf(int mode) {
    switch (mode) {
        case TManagePanel::kStatic:
            return {"Угол наибольшего наклона СМП",       -90,  90,
                    "Угол плоскости наибольшего наклона", -180, 180};
        case TManagePanel::kKinematic:
            return {"Угол скорости резания", 0, 90, nullptr, 0, 0};
        case TManagePanel::kDynamic:
            return {"Угол схода стружки", -90, 90, nullptr, 0, 0};
        default:
            return {"Главный угол в плане", -180, 180, nullptr, 0, 0};
    }
}

// The button images, drawn on a 24-unit grid in the palette of the command icons.
enum class TGlyph { OK, Skip, Cancel, Pick };

QIcon PanelIcon(TGlyph glyph) {
    QPixmap pixmap(48, 48);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(2.0, 2.0);
    const QColor ink(40, 52, 70);
    switch (glyph) {
        case TGlyph::OK: {
            p.setPen(QPen(QColor(30, 150, 70), 3.2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
            p.drawPolyline(QPolygonF({{4.5, 12.5}, {10, 18}, {19.5, 6}}));
            break;
        }
        case TGlyph::Skip: {
            p.setPen(QPen(QColor(40, 110, 200), 2.6, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
            p.drawArc(QRectF(4.5, 4.5, 15, 15), 100 * 16, 280 * 16);
            p.setBrush(QColor(40, 110, 200));
            p.setPen(Qt::NoPen);
            p.drawPolygon(QPolygonF({{7.5, 1.5}, {14.5, 4.8}, {8.5, 9.5}}));
            break;
        }
        case TGlyph::Cancel: {
            p.setPen(QPen(QColor(205, 40, 50), 3.2, Qt::SolidLine, Qt::RoundCap));
            p.drawLine(QPointF(6, 6), QPointF(18, 18));
            p.drawLine(QPointF(18, 6), QPointF(6, 18));
            break;
        }
        case TGlyph::Pick: {
            // A pointer over a table row.
            p.setPen(QPen(ink, 1.2));
            p.setBrush(QColor(246, 248, 251));
            p.drawRect(QRectF(2.5, 12.5, 19, 9));
            p.setBrush(QColor(235, 205, 50));
            p.drawRect(QRectF(2.5, 15.5, 19, 3));
            QPainterPath arrow;
            arrow.moveTo(8, 2);
            arrow.lineTo(8, 17);
            arrow.lineTo(11.5, 13.5);
            arrow.lineTo(14, 19);
            arrow.lineTo(16, 18);
            arrow.lineTo(13.5, 12.5);
            arrow.lineTo(18, 12.5);
            arrow.closeSubpath();
            p.setBrush(Qt::white);
            p.setPen(QPen(ink, 1.2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
            p.drawPath(arrow);
            break;
        }
    }
    p.end();
    return QIcon(pixmap);
}

QToolButton* MakeButton(QWidget& box, const char* name, const QString& hint, TGlyph glyph,
                        int left) {
    auto* button = new QToolButton(&box);
    button->setObjectName(QString::fromLatin1(name));
    button->setAutoRaise(true);  // flat
    button->setIcon(PanelIcon(glyph));
    button->setIconSize(QSize(22, 22));
    button->setToolTip(hint);
    button->setStatusTip(hint);  // shown in the main window's status bar
    button->setGeometry(left, 16, 30, 30);
    return button;
}

bool MainSegmentExists(const TMDIChild& document) {
    const std::int32_t hce = document.Model.WorkingCS.FeedPlan.HCE;
    return hce >= 0 && hce < static_cast<std::int32_t>(document.Model.CutEdge.size());
}

}  // namespace

TManagePanel::TManagePanel(TDialogs& dialogs, THost host, QObject* parent)
    : QObject(parent), Dialogs(dialogs), Host(std::move(host)) {
    GBoxManagePanel = new QGroupBox(QStringLiteral("Панель управления"));
    GBoxManagePanel->setObjectName(QStringLiteral("GBoxManagePanel"));
    GBoxManagePanel->setFixedHeight(kPanelHeight);

    // The buttons keep their place at the left of the box; the box only grows wider.
    SpeedButtonOK =
        MakeButton(*GBoxManagePanel, "SpeedButtonOK", QStringLiteral("ОК"), TGlyph::OK, 4);
    SpeedButtonSkip =
        MakeButton(*GBoxManagePanel, "SpeedButtonSkip", QStringLiteral("Сброс"), TGlyph::Skip, 36);
    SpeedButtonCancel = MakeButton(*GBoxManagePanel, "SpeedButtonCancel", QStringLiteral("Отмена"),
                                   TGlyph::Cancel, 68);
    SpeedButtonPick = MakeButton(*GBoxManagePanel, "SpeedButtonPick", QStringLiteral("Указать"),
                                 TGlyph::Pick, 104);
    // The buttons and the edits' changes run their steps guarded: an exception they
    // throw is the host's to report.
    auto guarded = [this](void (TManagePanel::*step)()) { return [this, step] { RunStep(step); }; };
    connect(SpeedButtonOK, &QToolButton::clicked, this, guarded(&TManagePanel::SpeedButtonOKClick));
    connect(SpeedButtonSkip, &QToolButton::clicked, this,
            guarded(&TManagePanel::SpeedButtonSkipClick));
    connect(SpeedButtonCancel, &QToolButton::clicked, this,
            guarded(&TManagePanel::SpeedButtonCancelClick));
    connect(SpeedButtonPick, &QToolButton::clicked, this,
            guarded(&TManagePanel::SpeedButtonPickClick));

    FirstEdit = new TFloatEdit(*GBoxManagePanel, dialogs, QStringLiteral("FirstEdit"));
    SecondEdit = new TFloatEdit(*GBoxManagePanel, dialogs, QStringLiteral("SecondEdit"));
    // The edits' change notification, delivered synchronously.
    connect(FirstEdit, &TFloatEdit::Changed, this, guarded(&TManagePanel::Preview),
            Qt::DirectConnection);
    connect(SecondEdit, &TFloatEdit::Changed, this, guarded(&TManagePanel::Preview),
            Qt::DirectConnection);
    // Enter in a field is OK, Escape "Отмена".
    for (TFloatEdit* edit : {FirstEdit, SecondEdit}) {
        connect(edit, &TFloatEdit::Accepted, this, guarded(&TManagePanel::SpeedButtonOKClick));
        connect(edit, &TFloatEdit::Cancelled, this, guarded(&TManagePanel::SpeedButtonCancelClick));
    }

    GBoxManagePanel->hide();
    Mode = kClosed;
}

TManagePanel::~TManagePanel() = default;

void TManagePanel::RunStep(void (TManagePanel::*step)()) {
    if (Host.RunGuarded) {
        Host.RunGuarded([this, step] { (this->*step)(); });
    } else {
        (this->*step)();
    }
}

void TManagePanel::Open(int mode) {
    if (mode < kStatic || mode > kFeedPlan) {
        return;
    }
    const TModeLayout layout = LayoutOf(mode);
    SpeedButtonPick->setVisible(mode == kFeedPlan);

    FirstEdit->SetVisible(true);
    FirstEdit->SetCaption(QString::fromUtf8(layout.FirstCaption));
    FirstEdit->SetTop(kEditTop);
    FirstEdit->SetLeft(kFirstEditLeft);
    SecondEdit->SetVisible(layout.SecondCaption != nullptr);
    if (layout.SecondCaption != nullptr) {
        SecondEdit->SetCaption(QString::fromUtf8(layout.SecondCaption));
        SecondEdit->SetTop(kEditTop);
        // The second field stands at 450 unless the first caption, in the font of the
        // system it runs on, reaches further: it must not be covered.
        const QRect firstCaption = FirstEdit->Caption().geometry();
        SecondEdit->SetLeft(std::max(kSecondEditLeft, firstCaption.right() + kCaptionGap));
    }
    GBoxManagePanel->show();
    Mode = static_cast<std::uint8_t>(mode);

    FirstEdit->SetMin(layout.FirstMin);
    FirstEdit->SetMax(layout.FirstMax);
    if (layout.SecondCaption != nullptr) {
        SecondEdit->SetMin(layout.SecondMin);
        SecondEdit->SetMax(layout.SecondMax);
    }
    TMDIChild* document = Host.ActiveDocument();
    if (document == nullptr) {
        return;
    }
    if (mode == kFeedPlan) {
        // A segment picked before a "Отмена" is forgotten like a cancelled angle: the
        // panel opens on the accepted plane, whose row it shows.
        model::TModel& model = document->Model;
        model.WorkingCS.FeedPlan.HCE = model.AcceptedCS.FeedPlan.HCE;
    }
    LoadAccepted();
    // A loaded text that equals the one shown is no change, yet the working values
    // may come from an earlier, cancelled edit (or another document): preview anyway,
    // so that the view and OK go by what the fields show.
    Preview();
    if (mode == kFeedPlan) {
        ShowMainSegmentRow(*document);
    }
}

void TManagePanel::LoadAccepted() {
    TMDIChild* document = Host.ActiveDocument();
    if (document == nullptr) {
        return;
    }
    const model::CSValues& accepted = document->Model.AcceptedCS;
    for (TFloatEdit* edit : {FirstEdit, SecondEdit}) {
        edit->SetDecimalSeparator(document->Model.DecimalSeparator);
    }
    switch (Mode) {
        case kStatic:
            FirstEdit->SetValue(accepted.SSK.GN);
            SecondEdit->SetValue(accepted.SSK.Mu);
            break;
        case kKinematic:
            FirstEdit->SetValue(accepted.KSK.Eta);
            break;
        case kDynamic:
            FirstEdit->SetValue(accepted.DSK.Nu);
            break;
        case kFeedPlan:
            FirstEdit->SetValue(accepted.FeedPlan.Phi);
            break;
        default:
            break;
    }
}

void TManagePanel::Close() {
    GBoxManagePanel->hide();
    if (TMDIChild* document = Host.ActiveDocument(); document != nullptr) {
        document->DetachPickMenu();
    }
    // "Указать" may have been pressed while another document was active: its table must
    // not stay in pick mode once the panel that asked for the segment is gone.
    if (PickDocument != nullptr) {
        PickDocument->DetachPickMenu();
        PickDocument = nullptr;
    }
    Mode = kClosed;
}

void TManagePanel::Preview() {
    TMDIChild* document = Host.ActiveDocument();
    if (document == nullptr) {
        return;
    }
    model::TModel& model = document->Model;
    // Edits whose text does not read keep the last value they passed on.
    double first = 0.0;
    double second = 0.0;
    const bool firstReads = FirstEdit->ReadValue(first);
    const bool secondReads = SecondEdit->ReadValue(second);
    switch (Mode) {
        case kStatic:
            if (firstReads && secondReads) {
                model.PreviewSSK(first, second);
            }
            break;
        case kKinematic:
            if (firstReads) {
                model.PreviewKSK(first);
            }
            break;
        case kDynamic:
            if (firstReads) {
                model.PreviewDSK(first);
            }
            break;
        case kFeedPlan:
            if (firstReads) {
                PreviewFeedPlanOf(*document);
            }
            break;
        default:
            break;
    }
    document->View().update();
}

void TManagePanel::PreviewFeedPlanOf(TMDIChild& document) {
    model::TModel& model = document.Model;
    // A main segment that is not on the cutting edge (a cutting edge found again with
    // fewer segments) falls back to the accepted one, or to the first segment.
    if (!MainSegmentExists(document)) {
        const std::int32_t accepted = model.AcceptedCS.FeedPlan.HCE;
        const bool acceptedExists =
            accepted >= 0 && accepted < static_cast<std::int32_t>(model.CutEdge.size());
        model.WorkingCS.FeedPlan.HCE = acceptedExists ? accepted : 0;
    }
    (void)model.PreviewFeedPlan(FirstEdit->Value());
}

void TManagePanel::DocumentActivated() {
    if (Mode != kClosed) {
        Preview();
    }
}

void TManagePanel::SegmentPicked() {
    if (Mode != kFeedPlan) {
        return;
    }
    if (TMDIChild* document = Host.ActiveDocument(); document != nullptr) {
        PreviewFeedPlanOf(*document);
        document->View().update();
    }
}

void TManagePanel::ShowMainSegmentRow(TMDIChild& document) {
    // In the selection group the rows are the selected segments, so the row is found by
    // the segment's number rather than taken for the segment's index.
    document.Data().ShowSegmentRow(document.Model.WorkingCS.FeedPlan.HCE);
}

bool TManagePanel::FieldsValid() const {
    for (const TFloatEdit* edit : {FirstEdit, SecondEdit}) {
        if (edit->IsVisible() && !edit->Valid()) {
            return false;
        }
    }
    return true;
}

void TManagePanel::SpeedButtonOKClick() {
    TMDIChild* document = Host.ActiveDocument();
    if (document == nullptr) {
        Close();
        Host.UpdateCommandStates();
        return;
    }
    // A field that does not read is not accepted as the last value it passed on: the
    // user is sent back to it, its frame and tool tip say why.
    for (TFloatEdit* edit : {FirstEdit, SecondEdit}) {
        if (Mode != kClosed && edit->IsVisible() && !edit->Valid()) {
            Dialogs.Beep();
            edit->Field().setFocus(Qt::OtherFocusReason);
            edit->Field().selectAll();
            return;
        }
    }
    model::TModel& model = document->Model;
    // Angles measured with the values being replaced are dropped with them.
    std::array<bool, model::kSystemCount> forgotten{};
    switch (Mode) {
        case kStatic:
            if (!MainSegmentExists(*document)) {
                PreviewFeedPlanOf(*document);  // falls back to an existing segment if any
            }
            if (const model::TResult accepted =
                    model::AcceptDefinition(model, model::TDefinition::StaticSystem, &forgotten);
                !accepted) {
                Dialogs.Beep();
                Dialogs.Error(GBoxManagePanel->window(), kNoMainSegment,
                              QString::fromStdString(accepted.Reason()));
                return;
            }
            break;
        case kKinematic:
            (void)model::AcceptDefinition(model, model::TDefinition::KSK, &forgotten);
            break;
        case kDynamic:
            (void)model::AcceptDefinition(model, model::TDefinition::DSK, &forgotten);
            break;
        case kFeedPlan:
            if (!MainSegmentExists(*document)) {
                Dialogs.Beep();
                Dialogs.Error(GBoxManagePanel->window(), kNoMainSegment);
                return;
            }
            (void)model::AcceptDefinition(model, model::TDefinition::FeedPlan, &forgotten);
            break;
        default:
            break;
    }
    Close();
    if (std::find(forgotten.begin(), forgotten.end(), true) != forgotten.end()) {
        // The dropped systems leave the tree, the table and the chart.
        document->ShowCuttingEdge();
    }
    document->FillPropertyList();
    document->SetMovingGroupsShown(model.ExistedCS[model::kExistedSSK]);
    Host.UpdateCommandStates();
    document->View().update();
}

void TManagePanel::SpeedButtonSkipClick() {
    TMDIChild* document = Host.ActiveDocument();
    if (document == nullptr || Mode == kClosed) {
        return;
    }
    LoadAccepted();
    if (Mode == kFeedPlan) {
        model::TModel& model = document->Model;
        model.WorkingCS.FeedPlan.HCE = model.AcceptedCS.FeedPlan.HCE;
        ShowMainSegmentRow(*document);
    }
    // Also when the texts did not change: the working plane must follow the restored
    // segment, and the working values the accepted ones.
    Preview();
}

void TManagePanel::SpeedButtonCancelClick() {
    Close();
    Host.UpdateCommandStates();
    if (TMDIChild* document = Host.ActiveDocument(); document != nullptr) {
        document->View().update();
    }
}

void TManagePanel::SpeedButtonPickClick() {
    TMDIChild* document = Host.ActiveDocument();
    if (document == nullptr || Mode != kFeedPlan) {
        return;
    }
    // Only one table picks for the panel: one left in pick mode in another document
    // would keep offering "Выбрать" after the panel has closed.
    if (PickDocument != nullptr && PickDocument != document) {
        PickDocument->DetachPickMenu();
    }
    document->EnterPickMode();
    PickDocument = document;
    QAbstractItemView* table = &document->Data().Table();
    table->setFocus(Qt::OtherFocusReason);
    if (Host.SmartCursor && Host.SmartCursor()) {
        QCursor::setPos(table->mapToGlobal(QPoint(kPickPointerOffset, kPickPointerOffset)));
    }
}

}  // namespace tessarin::shell
