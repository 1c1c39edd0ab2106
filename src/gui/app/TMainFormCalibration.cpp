// The main window's calibration commands: the conversion method, the calibration grid, and
// copying a calibration from one document to another.

#include <QAction>
#include <QActionGroup>
#include <QClipboard>
#include <QGuiApplication>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>

#include "app/Dialogs.h"
#include "app/StartupSettings.h"
#include "app/TMainForm.h"
#include "document/CalibrationGrid.h"
#include "document/CalibrationText.h"
#include "platform/NumberText.h"
#include "platform/SettingsStore.h"

namespace curvana {

namespace {

// The clipboard format of a calibration; the same text goes on the clipboard as plain text too.
constexpr const char* kCalibrationMime = "application/x-curvana-calibration";

// The calibration on the clipboard, if it holds one.
std::optional<Calibration> ClipboardCalibration() {
    const QMimeData* data = QGuiApplication::clipboard()->mimeData();
    if (!data) return std::nullopt;
    const QByteArray text =
        data->hasFormat(kCalibrationMime) ? data->data(kCalibrationMime) : data->text().toUtf8();
    return CalibrationFromText(std::string_view(text.constData(), std::size_t(text.size())));
}

}  // namespace

void TMainForm::CreateCalibrationItems() {
    auto item = [this](QMenu* menu, const char* name, const QString& caption, int context) {
        auto* action = new QAction(caption, this);
        action->setObjectName(name);
        action->setProperty("HelpContext", context);
        menu->addAction(action);
        return action;
    };

    Calibration1 = Plot1->addMenu("&Calibration");
    Calibration1->setObjectName("Calibration1");
    Calibration1->menuAction()->setProperty("HelpContext", 550);
    Calibration1->installEventFilter(this);
    CalibrationGroup = new QActionGroup(this);
    Bilinear1 = item(Calibration1, "Bilinear1", "Bilinear", 550);
    Perspective1 = item(Calibration1, "Perspective1", "Perspective", 550);
    int code = 0;
    for (QAction* a : {Bilinear1, Perspective1}) {
        a->setCheckable(true);
        a->setData(code++);
        CalibrationGroup->addAction(a);
    }
    SyncCalibrationMenu();
    connect(CalibrationGroup, &QActionGroup::triggered, this, &TMainForm::CalibrationMethodClick);

    Zoom1->addSeparator()->setObjectName("N6");
    CalibrationGrid1 = item(Zoom1, "CalibrationGrid1", "Calibration &Grid", 551);
    CalibrationGrid1->setCheckable(true);
    try {
        ShowCalibrationGrid = ReadGridChoice(settings_);
    } catch (const SettingsError&) {
        ShowCalibrationGrid = false;  // a value of another type: the grid stays off
    }
    CalibrationGrid1->setChecked(ShowCalibrationGrid);
    connect(CalibrationGrid1, &QAction::triggered, this, &TMainForm::CalibrationGrid1Click);

    EditMenu1->addSeparator()->setObjectName("N7");
    CopyCalibration1 = item(EditMenu1, "CopyCalibration1", "Copy Calibration", 552);
    PasteCalibration1 = item(EditMenu1, "PasteCalibration1", "Paste Calibration", 553);
    connect(CopyCalibration1, &QAction::triggered, this, &TMainForm::CopyCalibration1Click);
    connect(PasteCalibration1, &QAction::triggered, this, &TMainForm::PasteCalibration1Click);
    connect(QGuiApplication::clipboard(), &QClipboard::dataChanged, this,
            &TMainForm::CalibrationClipboardChanged);
    CalibrationClipboardChanged();
}

void TMainForm::SyncCalibrationMenu() {
    const TChildForm* child = ActiveChild();
    const CalibrationMethod method = child ? child->Document().Method : CalibrationMethod::Bilinear;
    (method == CalibrationMethod::Perspective ? Perspective1 : Bilinear1)->setChecked(true);
}

void TMainForm::CalibrationMethodClick(QAction* item) {
    TChildForm* child = ActiveChild();
    if (!child) {
        SyncCalibrationMenu();
        return;
    }
    if (child->Document().SetCalibrationMethod(CalibrationMethod(item->data().toInt()))) RepaintGrid();
    UpdateUndoItems();
}

void TMainForm::RepaintGrid() {
    if (TChildForm* child = ActiveChild(); child && ShowCalibrationGrid) child->FormPaint();
}

void TMainForm::CalibrationGrid1Click(bool checked) {
    ShowCalibrationGrid = checked;
    for (TChildForm* child : MDIChildren())
        child->FormPaint();
    try {
        WriteGridChoice(settings_, checked);  // when the key cannot be made, the choice holds until the end
    } catch (const SettingsError&) {
        dialogs_.StandardErrorBox(this, "Failed to set data for 'CalibrationGrid'");
    }
}

void TMainForm::CopyCalibration1Click() {
    TChildForm* child = ActiveChild();
    if (!child) return;
    const QByteArray text =
        QByteArray::fromStdString(CalibrationToText(child->Document().CurrentCalibration()));
    auto* data = new QMimeData;
    data->setData(kCalibrationMime, text);
    data->setText(QString::fromUtf8(text));
    QGuiApplication::clipboard()->setMimeData(data);
}

void TMainForm::PasteCalibration1Click() {
    TChildForm* child = ActiveChild();
    const std::optional<Calibration> cal = ClipboardCalibration();
    if (!child || !cal) return;
    const DisplayChange change = child->Document().PasteCalibration(*cal);
    ShowScaleValues(child->Document());
    SyncCalibrationMenu();
    child->ShowChange(change);
}

void TMainForm::CalibrationClipboardChanged() {
    PasteCalibration1->setEnabled(ClipboardCalibration().has_value());
}

}  // namespace curvana
