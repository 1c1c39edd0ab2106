#include "app/TMainForm.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QGridLayout>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QPrinter>
#include <QScreen>
#include <QSplitter>
#include <QStandardPaths>
#include <QStatusBar>
#include <QToolBar>
#include <QToolButton>
#include <QUrl>
#include <algorithm>
#include <cmath>
#include <system_error>

#include "about/TAboutBox.h"
#include "app/BitmapImage.h"
#include "app/Dialogs.h"
#include "app/ImageList.h"
#include "app/PrinterSurface.h"
#include "app/ProgramFiles.h"
#include "app/StartupSettings.h"
#include "app/THelpForm.h"
#include "app/TListingMemo.h"
#include "app/TPageForm.h"
#include "app/TPrefForm.h"
#include "app/TQSForm.h"
#include "document/OpenDocument.h"
#include "document/ProjectFile.h"
#include "document/TPictureView.h"
#include "markers/TMarker.h"
#include "output/ExportData.h"
#include "output/PreferenceRules.h"
#include "platform/NumberText.h"

namespace curvana {

namespace {

// Redo's keys: the platform's, and Ctrl+Y and Ctrl+Shift+Z everywhere.
bool IsRedoKey(const QKeyEvent& key) {
    const QKeySequence pressed(key.keyCombination());
    return key.matches(QKeySequence::Redo) || pressed == QKeySequence("Ctrl+Y") ||
           pressed == QKeySequence("Ctrl+Shift+Z");
}

constexpr const char* kHelpContext = "HelpContext";
constexpr const char* kHomepage = "https://www.morvane.com/";
const QString kProjectFilter = "Curvana Files (*.cvn)|*.cvn";

// The wait cursor for as long as it lives.
class BusyCursor {
  public:
    BusyCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~BusyCursor() { QApplication::restoreOverrideCursor(); }
    BusyCursor(const BusyCursor&) = delete;
    BusyCursor& operator=(const BusyCursor&) = delete;
};

QString Q(const std::string& s) {
    return QString::fromStdString(s);
}

// The files a text names, one on each line, as absolute paths or file URLs; none unless every line
// names a file that exists.
QStringList FilesInText(const QString& text) {
    if (text.size() > 65536) return {};  // a copied text, not a list of files
    QStringList files;
    for (QString line : text.split('\n')) {
        line = line.trimmed();
        if (line.isEmpty()) continue;
        const QString path = line.startsWith("file:") ? QUrl(line).toLocalFile() : line;
        if (!QDir::isAbsolutePath(path) || !QFileInfo(path).isFile()) return {};
        files << path;
    }
    return files;
}

// The local files that data names: its URLs, or else the paths in its text.
QStringList FilesOf(const QMimeData& data) {
    QStringList files;
    for (const QUrl& url : data.urls())
        if (url.isLocalFile()) files << url.toLocalFile();
    if (files.isEmpty() && data.hasText()) files = FilesInText(data.text());
    return files;
}

// Accepts a drag that brings files or a picture to open, as a copy.
bool TakeDrag(QDropEvent& event) {
    const QMimeData* data = event.mimeData();
    if (!data || !(event.possibleActions() & Qt::CopyAction) ||
        !(data->hasImage() || !FilesOf(*data).isEmpty()))
        return false;
    event.setDropAction(Qt::CopyAction);  // never a move: the dropped files stay where they are
    event.accept();
    return true;
}

bool OpensAny(const QStringList& files) {
    return std::any_of(files.begin(), files.end(),
                       [](const QString& f) { return KindOfFile(f.toStdString()) != FileKind::Unknown; });
}

// Where a picture that comes from no file is proposed to be saved: the user's documents folder, or
// the home folder where there is none.
std::string PictureDataFolder() {
    QString folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (folder.isEmpty() || !QFileInfo(folder).isDir()) folder = QDir::homePath();
    return QDir(folder).absolutePath().toStdString() + "/";
}

}  // namespace

TMainForm::TMainForm(Dialogs& dialogs, SettingsStore& settings, QWidget* parent)
    : QMainWindow(parent), dialogs_(dialogs), settings_(settings) {
    setWindowTitle("Curvana");
    setWindowIcon(ProgramIcon());
    CreateMenus();
    CreateToolBar();
    CreatePanel();
    StatusPanels[0] = new QLabel;
    StatusPanels[0]->setFixedWidth(140);
    StatusPanels[1] = new QLabel;
    StatusPanels[1]->setMinimumWidth(50);
    statusBar()->setObjectName("StatusBar1");
    statusBar()->addWidget(StatusPanels[0]);
    statusBar()->addWidget(StatusPanels[1], 1);
    AboutBox = new TAboutBox(this);
    PrefForm = new TPrefForm([this] { ShowHelpTopic(507); }, this);

    // Design placement: 696 by 480, centred on the screen.
    resize(696, 480);
    if (QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect area = screen->availableGeometry();
        move(area.center() - rect().center());
    }

    // Creation: the Window menu starts hidden, the help file is found beside the program or in its
    // installed data folder, then the settings.
    FirstPaint = true;
    Window1->menuAction()->setVisible(false);
    HelpFile = ProgramDataFile(QCoreApplication::applicationDirPath(), "curvana.hlp");
    ReadSettings();

    setAcceptDrops(true);
    connect(QGuiApplication::clipboard(), &QClipboard::dataChanged, this, &TMainForm::ClipboardChanged);
    ClipboardChanged();
}

TMainForm::~TMainForm() {
    // The document windows go while this window is still whole: the area's activation signals
    // must not reach a half-destroyed main window.
    disconnect(MDIClient, nullptr, this, nullptr);
    for (QMdiSubWindow* window : MDIClient->subWindowList())
        delete window;
}

// ---------------------------------------------------------------------------------------------
// Layout

void TMainForm::CreateMenus() {
    auto item = [this](QMenu* menu, const char* name, const QString& caption, int context, int image = -1,
                       const QKeySequence& shortcut = {}) {
        auto* action = new QAction(caption, this);
        action->setObjectName(name);
        action->setProperty(kHelpContext, context);
        if (image >= 0) action->setIcon(ImageListIcon(image));
        if (!shortcut.isEmpty()) action->setShortcut(shortcut);
        menu->addAction(action);
        return action;
    };
    auto menu = [this](const char* name, const QString& caption) {
        QMenu* m = menuBar()->addMenu(caption);
        m->setObjectName(name);
        m->installEventFilter(this);
        return m;
    };

    File1 = menu("File1", "&File");
    Open1 = item(File1, "Open1", "&Open", 501, 0, QKeySequence("Ctrl+O"));
    Close1 = item(File1, "Close1", "&Close", 502, -1, QKeySequence("Ctrl+W"));
    Save1 = item(File1, "Save1", "&Save", 503, 1, QKeySequence("Ctrl+S"));
    SaveAs1 = item(File1, "SaveAs1", "Save &As", 504);
    File1->addSeparator();
    PrintSetup1 = item(File1, "PrintSetup1", "P&rint Setup", 505);
    Print1 = item(File1, "Print1", "&Print", 506, 2, QKeySequence("Ctrl+P"));
    File1->addSeparator();
    Preferences1 = item(File1, "Preferences1", "Pre&ferences", 507);
    File1->addSeparator();
    const char* recentNames[RecentFiles::kCount] = {"N12", "N21", "N31", "N41"};
    for (int k = 1; k <= RecentFiles::kCount; ++k) {
        QAction* a = item(File1, recentNames[k - 1], QString("&%1. ").arg(k), 0);
        a->setProperty("Tag", k);
        a->setVisible(false);
        connect(a, &QAction::triggered, this, [this, k] { MFileClick(k); });
        MFileItems[std::size_t(k - 1)] = a;
    }
    N11 = File1->addSeparator();
    N11->setObjectName("N11");
    N11->setVisible(false);
    Exit1 = item(File1, "Exit1", "E&xit", 508, -1, QKeySequence("Alt+F4"));

    EditMenu1 = menu("EditMenu1", "&Edit");
    Undo1 = item(EditMenu1, "Undo1", "&Undo", 556, 15, QKeySequence("Ctrl+Z"));
    Redo1 = item(EditMenu1, "Redo1", "&Redo", 557, 16, QKeySequence("Ctrl+Shift+Z"));
    Redo1->setShortcuts({QKeySequence("Ctrl+Shift+Z"), QKeySequence("Ctrl+Y")});
    EditMenu1->addSeparator()->setObjectName("N12");
    PastePicture1 = item(EditMenu1, "PastePicture1", "&Paste Picture", 532, -1, QKeySequence("Ctrl+V"));

    Zoom1 = menu("Zoom1", "&View");
    ZoomIn1 = item(Zoom1, "ZoomIn1", "Zoom In", 509, 3);
    ZoomIn1->setShortcuts({QKeySequence("Ctrl++"), QKeySequence("Ctrl+=")});
    ZoomOut1 = item(Zoom1, "ZoomOut1", "Zoom Out", 510, 4, QKeySequence("Ctrl+-"));
    N3 = item(Zoom1, "N3", "Normal Size", 511, 10, QKeySequence("Ctrl+0"));
    Zoom1->addSeparator()->setObjectName("N5");
    Redraw1 = item(Zoom1, "Redraw1", "Redraw", 512, 9);

    Plot1 = menu("Plot1", "&Plot");
    Type1 = Plot1->addMenu("&Type");
    Type1->setObjectName("Type1");
    Type1->menuAction()->setProperty(kHelpContext, 513);
    Type1->installEventFilter(this);
    PlotTypeGroup = new QActionGroup(this);
    LinearLinear1 = item(Type1, "LinearLinear1", "Linear-Linear", 513);
    LogLinear1 = item(Type1, "LogLinear1", "Log-Linear", 513);
    LinearLog1 = item(Type1, "LinearLog1", "Linear-Log", 513);
    LogLog1 = item(Type1, "LogLog1", "Log-Log", 513);
    int code = 1;
    for (QAction* a : {LinearLinear1, LogLinear1, LinearLog1, LogLog1}) {
        a->setCheckable(true);
        a->setData(code++);
        PlotTypeGroup->addAction(a);
    }
    SyncPlotTypeMenu();
    connect(PlotTypeGroup, &QActionGroup::triggered, this, &TMainForm::PlotType);

    Data1 = menu("Data1", "&Data");
    AddDataSerie1 = item(Data1, "AddDataSerie1", "Add DataSeries", 514, 8);
    RemoveDataSerie1 = item(Data1, "RemoveDataSerie1", "Delete DataSeries", 515, 7);
    Data1->addSeparator();
    AddPointtoDataSerie1 = item(Data1, "AddPointtoDataSerie1", "Add  Marker to DataSeries", 516, 6);
    RemovePointFromDataSerie1 =
        item(Data1, "RemovePointFromDataSerie1", "Delete Marker From DataSeries", 517, 5);
    TraceCurve1 = item(Data1, "TraceCurve1", "Trace Curve", 558, 17);
    TraceSymbols1 = item(Data1, "TraceSymbols1", "Trace Symbols", 559, 18);
    Data1->addSeparator();
    AddSingleMarker1 = item(Data1, "AddSingleMarker1", "Add Single Marker", 518, 12);
    DeleteSingleMarker1 = item(Data1, "DeleteSingleMarker1", "Delete Single Marker", 519, 13);
    DeleteallsingleMarkers1 = item(Data1, "DeleteallsingleMarkers1", "Delete All Single Markers", 520);
    Data1->addSeparator();
    CopyDatatoClipBoard1 = item(Data1, "CopyDatatoClipBoard1", "Copy Data to ClipBoard", 521);
    Export1 = item(Data1, "Export1", "Export", 522, 14);

    Window1 = menu("Window1", "&Window");
    Cascade1 = item(Window1, "Cascade1", "&Cascade", 523);
    Tile1 = item(Window1, "Tile1", "&Tile", 524);
    ArrangeIcons1 = item(Window1, "ArrangeIcons1", "&Arrange Icons", 525);
    connect(Window1, &QMenu::aboutToShow, this, &TMainForm::UpdateWindowMenu);

    Help1 = menu("Help1", "&Help");
    Contents1 = item(Help1, "Contents1", "&Contents", 526, 11);
    Index1 = item(Help1, "Index1", "&Index", 527);
    QuickStartTurorial1 = item(Help1, "QuickStartTurorial1", "&Quick Start Turorial", 528);
    Help1->addSeparator();
    MorvaneHomepage1 = item(Help1, "MorvaneHomepage1", "&Morvane Homepage", 529);
    Help1->addSeparator();
    About1 = item(Help1, "About1", "&About", 531);

    connect(Open1, &QAction::triggered, this, &TMainForm::Open1Click);
    connect(PastePicture1, &QAction::triggered, this, &TMainForm::PastePicture1Click);
    connect(Undo1, &QAction::triggered, this, &TMainForm::Undo1Click);
    connect(Redo1, &QAction::triggered, this, &TMainForm::Redo1Click);
    UpdateUndoItems();
    connect(Close1, &QAction::triggered, this, &TMainForm::Close1Click);
    connect(Save1, &QAction::triggered, this, &TMainForm::Save1Click);
    connect(SaveAs1, &QAction::triggered, this, &TMainForm::SaveAs1Click);
    connect(Preferences1, &QAction::triggered, this, &TMainForm::Preferences1Click);
    connect(CopyDatatoClipBoard1, &QAction::triggered, this, &TMainForm::CopyDatatoClipBoard1Click);
    connect(Export1, &QAction::triggered, this, &TMainForm::ToolButton15Click);
    connect(Print1, &QAction::triggered, this, &TMainForm::Print1Click);
    connect(PrintSetup1, &QAction::triggered, this, &TMainForm::PrintSetup1Click);
    connect(Exit1, &QAction::triggered, this, &TMainForm::close);
    connect(ZoomIn1, &QAction::triggered, this, &TMainForm::ZoomIn1Click);
    connect(ZoomOut1, &QAction::triggered, this, &TMainForm::ZoomOut1Click);
    connect(N3, &QAction::triggered, this, &TMainForm::N3Click);
    connect(Redraw1, &QAction::triggered, this, &TMainForm::Redraw1Click);
    connect(Cascade1, &QAction::triggered, this, &TMainForm::Cascade1Click);
    connect(Tile1, &QAction::triggered, this, &TMainForm::Tile1Click);
    connect(ArrangeIcons1, &QAction::triggered, this, &TMainForm::ArrangeIcons1Click);
    connect(Contents1, &QAction::triggered, this, &TMainForm::ShowHelpContents);
    connect(Index1, &QAction::triggered, this, &TMainForm::ShowHelpIndex);
    connect(QuickStartTurorial1, &QAction::triggered, this, &TMainForm::QuickStart1Click);
    connect(MorvaneHomepage1, &QAction::triggered, this, &TMainForm::Homepage1Click);
    connect(About1, &QAction::triggered, this, &TMainForm::About1Click);

    // F1 outside the menus opens the help at its contents (inside a menu it opens the item's topic).
    auto* help = new QAction(this);
    help->setObjectName("HelpKey");
    help->setShortcut(QKeySequence(Qt::Key_F1));
    addAction(help);
    connect(help, &QAction::triggered, this, &TMainForm::ShowHelpContents);
    CreateCalibrationItems();
}

void TMainForm::CreateToolBar() {
    ToolBar1 = addToolBar("Tool bar");
    ToolBar1->setObjectName("ToolBar1");
    ToolBar1->setMovable(false);
    ToolBar1->setFloatable(false);
    ToolBar1->setIconSize(QSize(16, 16));
    ToolBar1->toggleViewAction()->setVisible(false);
    setContextMenuPolicy(Qt::NoContextMenu);

    // Every button has a hint: its own, or else the caption of its command.
    auto push = [this](QAction* command, const QString& hint) {
        ToolBar1->addAction(command);
        if (!hint.isEmpty()) command->setToolTip(hint);
    };
    auto check = [this](const char* name, int image, const QString& text) {
        auto* a = new QAction(ImageListIcon(image), text, this);
        a->setObjectName(name);
        a->setCheckable(true);
        ToolBar1->addAction(a);
        return a;
    };

    push(Open1, "Open ");
    push(Save1, "Save");
    push(Print1, "Print");
    ToolBar1->addSeparator();
    push(Undo1, "");
    push(Redo1, "");
    ToolBar1->addSeparator();
    push(Export1, "Export Data to a File");
    ToolBar1->addSeparator();
    push(ZoomIn1, "Zoom In");
    push(ZoomOut1, "Zoom Out");
    push(N3, "");
    ToolBar1->addSeparator();
    push(Redraw1, "");
    ToolBar1->addSeparator();
    ToolButton13 = check("ToolButton13", 12, "Add Single Marker");
    ToolButton14 = check("ToolButton14", 13, "Delete Single Marker");
    ToolBar1->addSeparator();
    push(AddDataSerie1, "Add DataSeries");
    ToolButton10 = check("ToolButton10", 7, "Delete DataSeries");
    ToolButton9 = check("ToolButton9", 6, "Add Marker to DataSeries");
    ToolButton8 = check("ToolButton8", 5, "Delete Marker From DataSeries");
    ToolButton17 = check("ToolButton17", 17, "Trace Curve");
    ToolButton18 = check("ToolButton18", 18, "Trace Symbols");
    ToolBar1->addSeparator();
    push(Contents1, "");

    SeriesModeButtons = new QActionGroup(this);
    SeriesModeButtons->setExclusionPolicy(QActionGroup::ExclusionPolicy::ExclusiveOptional);
    for (QAction* a : {ToolButton10, ToolButton9, ToolButton8, ToolButton17, ToolButton18})
        SeriesModeButtons->addAction(a);
    SingleModeButtons = new QActionGroup(this);
    SingleModeButtons->setExclusionPolicy(QActionGroup::ExclusionPolicy::ExclusiveOptional);
    for (QAction* a : {ToolButton13, ToolButton14})
        SingleModeButtons->addAction(a);

    // The Data menu's mode items show the state of their buttons.
    for (const EditingMode& m : EditingModes()) {
        m.item->setCheckable(true);
        connect(m.button, &QAction::toggled, m.item, &QAction::setChecked);
    }
    connect(ToolButton8, &QAction::triggered, this, [this] { ToolButton8Click(); });
    connect(ToolButton9, &QAction::triggered, this, [this] { ToolButton9Click(); });
    connect(ToolButton10, &QAction::triggered, this, [this] { ToolButton10Click(); });
    connect(ToolButton13, &QAction::triggered, this, [this] { ToolButton13Click(); });
    connect(ToolButton14, &QAction::triggered, this, [this] { ToolButton14Click(); });
    connect(RemovePointFromDataSerie1, &QAction::triggered, this, [this] { ToolButton8Click(true); });
    connect(AddPointtoDataSerie1, &QAction::triggered, this, [this] { ToolButton9Click(true); });
    connect(RemoveDataSerie1, &QAction::triggered, this, [this] { ToolButton10Click(true); });
    connect(AddSingleMarker1, &QAction::triggered, this, [this] { ToolButton13Click(true); });
    connect(DeleteSingleMarker1, &QAction::triggered, this, [this] { ToolButton14Click(true); });
    connect(ToolButton17, &QAction::triggered, this, [this] { ToolButton17Click(); });
    connect(ToolButton18, &QAction::triggered, this, [this] { ToolButton18Click(); });
    connect(TraceCurve1, &QAction::triggered, this, [this] { ToolButton17Click(true); });
    connect(TraceSymbols1, &QAction::triggered, this, [this] { ToolButton18Click(true); });
    connect(AddDataSerie1, &QAction::triggered, this, &TMainForm::ToolButton11Click);
    connect(DeleteallsingleMarkers1, &QAction::triggered, this, &TMainForm::DeleteallsingleMarkers1Click);
}

void TMainForm::CreatePanel() {
    Panel1 = new QWidget;
    Panel1->setObjectName("Panel1");
    auto* grid = new QGridLayout(Panel1);
    grid->setContentsMargins(6, 8, 8, 6);
    grid->setHorizontalSpacing(4);
    grid->setVerticalSpacing(3);
    int row = 0;
    auto heading = [&](const QString& text) {
        auto* label = new QLabel(text);
        QFont bold = label->font();
        bold.setBold(true);
        label->setFont(bold);
        if (row > 0) grid->setRowMinimumHeight(row++, 6);
        grid->addWidget(label, row++, 0, 1, 2);
        return label;
    };
    auto scale = [&](const char* name, int tag, const QString& caption) {
        auto* edit = new QLineEdit("0");
        edit->setObjectName(name);
        edit->setProperty("Tag", tag);
        edit->setFixedWidth(71);
        auto* label = new QLabel(caption);
        label->setBuddy(edit);
        grid->addWidget(label, row, 0);
        grid->addWidget(edit, row++, 1, Qt::AlignLeft);  // beside its label however wide the panel
        connect(edit, &QLineEdit::textChanged, this, [this, tag] { EditChange(tag); });
        // A value becomes one change in the history when the field is confirmed or left.
        connect(edit, &QLineEdit::editingFinished, this, [this] {
            if (TChildForm* child = ActiveChild()) child->Document().CommitScaleValues();
            UpdateUndoItems();
        });
        edit->installEventFilter(this);  // Ctrl+V with no text to paste pastes the picture
        return edit;
    };
    heading("X-scale");
    Edit1 = scale("Edit1", 1, "minimum");
    Edit2 = scale("Edit2", 2, "maximum");
    heading("Y-scale");
    Edit3 = scale("Edit3", 3, "minimum");
    Edit4 = scale("Edit4", 4, "maximum");
    heading("Data");
    Memo1 = new TListingMemo;
    Memo1->setObjectName("Memo1");
    Memo1->setAcceptDrops(false);  // files dropped on the listing go to the main window
    grid->addWidget(Memo1, row, 0, 1, 2);
    grid->setRowStretch(row, 1);
    grid->setColumnStretch(1, 1);
    // 135 pixels as designed, or wider where the labels need more room in the user's font; the
    // user may widen it by dragging its edge.
    Panel1->setMinimumWidth(std::max(135, grid->minimumSize().width()));

    PopupMenu1 = new QMenu(Memo1);
    PopupMenu1->setObjectName("PopupMenu1");
    CopyToClipBoard1 = PopupMenu1->addAction("&Copy To ClipBoard");
    CopyToClipBoard1->setObjectName("CopyToClipBoard1");
    CopyToClipBoard1->setProperty(kHelpContext, 521);
    Export2 = PopupMenu1->addAction("&Export");
    Export2->setObjectName("Export2");
    Export2->setProperty(kHelpContext, 522);
    connect(CopyToClipBoard1, &QAction::triggered, this, &TMainForm::CopyDatatoClipBoard1Click);
    connect(Export2, &QAction::triggered, this, &TMainForm::ToolButton15Click);
    PopupMenu1->installEventFilter(this);  // F1 on its items
    Memo1->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(Memo1, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& at) { PopupMenu1->exec(Memo1->viewport()->mapToGlobal(at)); });

    MDIClient = new QMdiArea;
    MDIClient->setObjectName("MDIClient");
    MDIClient->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    MDIClient->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    connect(MDIClient, &QMdiArea::subWindowActivated, this, &TMainForm::SubWindowActivated);

    Splitter1 = new QSplitter(Qt::Horizontal);
    Splitter1->setObjectName("Splitter1");
    Splitter1->setChildrenCollapsible(false);
    Splitter1->addWidget(Panel1);
    Splitter1->addWidget(MDIClient);
    Splitter1->setStretchFactor(0, 0);  // the document area takes what the window gains
    Splitter1->setStretchFactor(1, 1);
    setCentralWidget(Splitter1);
    SetPanelWidth(Panel1->minimumWidth());
}

int TMainForm::PanelWidth() const {
    return Splitter1->sizes().value(0);
}

void TMainForm::SetPanelWidth(int width) {
    const int panel = std::max(width, Panel1->minimumWidth());
    Splitter1->setSizes({panel, std::max(1, Splitter1->width() - Splitter1->handleWidth() - panel)});
}

// ---------------------------------------------------------------------------------------------
// Settings

void TMainForm::ReadSettings() {
    const StartupSettings s = ReadStartupSettings(settings_);
    if (s.SigDigits) SigDigits = *s.SigDigits;
    if (s.MSize) MSize = *s.MSize;
    // Tracing values out of their range take the nearest one in it.
    const auto tracing = [](const std::optional<std::int32_t>& stored, PreferenceField field, int& value) {
        if (stored) value = std::clamp(*stored, PreferenceMinimum(field), PreferenceMaximum(field));
    };
    tracing(s.TraceStep, PreferenceField::TraceStep, tracing_.Step);
    tracing(s.TraceTolerance, PreferenceField::TraceTolerance, tracing_.Tolerance);
    tracing(s.TraceGap, PreferenceField::TraceGap, tracing_.Gap);
    if (s.PanelWidth) SetPanelWidth(*s.PanelWidth);
    if (s.OpenFilter) openFilter_ = *s.OpenFilter;  // a type the dialog does not have gives the first
    if (s.PdfDpi && *s.PdfDpi >= kPdfMinDpi && *s.PdfDpi <= kPdfMaxDpi) pdfDpi_ = *s.PdfDpi;
    ShowQuickStart = s.ShowQuickStart;
    MFiles = s.MFiles;
    UpdateMFiles();
    if (s.state) {
        switch (*s.state) {
            case 0:
                setWindowState(Qt::WindowNoState);
                if (s.top) move(x(), *s.top);
                if (s.left) move(*s.left, y());
                if (s.width) resize(*s.width, height());
                if (s.height) resize(width(), *s.height);
                KeepOnScreen();
                break;
            case 1:
                setWindowState(Qt::WindowMaximized);
                break;
            case 2:
                setWindowState(Qt::WindowMinimized);
                break;
            default:
                break;
        }
    }
    if (!s.error.empty()) dialogs_.StandardErrorBox(this, Q(s.error));
}

void TMainForm::KeepOnScreen() {
    // A placement stored on a screen that is no longer there would leave the window out of reach:
    // its title bar has to be on some screen, or it goes back to the middle of the main one.
    const QRect titleBar(pos(), QSize(std::max(1, width()), 24));
    for (QScreen* screen : QGuiApplication::screens())
        if (screen->availableGeometry().intersects(titleBar)) return;
    if (QScreen* screen = QGuiApplication::primaryScreen()) {
        resize(size().boundedTo(screen->availableGeometry().size()));
        move(screen->availableGeometry().center() - rect().center());
    }
}

void TMainForm::WriteSettings() {
    WindowPlacement p;
    p.top = y();
    p.left = x();
    p.width = width();
    p.height = height();
    p.state = isMinimized() ? 2 : isMaximized() ? 1 : 0;
    p.panelWidth = PanelWidth();
    try {
        WriteClosingSettings(settings_, MFiles, p, {openFilter_, pdfDpi_});
    } catch (const SettingsError& e) {
        dialogs_.StandardErrorBox(this, Q(e.what()));
    }
}

void TMainForm::CopyDatatoClipBoard1Click() {
    // An empty selection leaves the clipboard as it was.
    if (ActiveChild() && Memo1->textCursor().hasSelection()) Memo1->copy();
}

void TMainForm::ToolButton15Click() {
    TChildForm* child = ActiveChild();
    if (!child) return;
    FileDialogRequest request;
    request.title = "Export Data";
    request.filters = FileFilterList(kExportDialogFilter);
    request.filterIndex = exportFilter_ - 1;
    request.fileName = Q(ExportFileName(child->Document().Caption, exportFilter_));
    request.helpContext = 522;
    request.filterChanged = [](int index, const QString& name) {
        return Q(ExportFileName(name.toStdString(), index + 1));
    };
    const auto chosen = dialogs_.SaveFileName(this, request);
    if (!chosen) return;
    exportFilter_ = chosen->filterIndex + 1;
    std::vector<std::string> lines;
    for (int i = 0; i < Memo1->Count(); ++i)
        lines.push_back(Memo1->Line(i));
    try {
        BusyCursor busy;
        ExportWithFilter(exportFilter_, SplitListing(lines), chosen->path.toStdString());
    } catch (const std::exception& e) {
        dialogs_.StandardErrorBox(this, Q(e.what()));
    }
}

QPrinter& TMainForm::Printer() {
    if (!printer_) printer_ = std::make_unique<QPrinter>(QPrinter::HighResolution);
    return *printer_;
}

void TMainForm::PrintSetup1Click() {
    dialogs_.PageSetupDialog(this, Printer());
}

void TMainForm::Print1Click() {
    TChildForm* child = ActiveChild();
    if (!child) return;
    if (!dialogs_.PrintDialog(this, Printer())) return;
    std::vector<std::string> lines;
    for (int i = 0; i < Memo1->Count(); ++i)
        lines.push_back(Memo1->Line(i));
    PrinterSurface job(Printer());
    try {
        BusyCursor busy;
        job.Begin();
        PrintDocument(child->Document(), lines, job);
        job.End();
    } catch (const std::exception& e) {
        job.Abort();
        dialogs_.StandardErrorBox(this, Q(e.what()));
    }
}

void TMainForm::Preferences1Click() {
    PrefForm->Load(SigDigits, MSize);
    PrefForm->LoadTracing(tracing_);
    if (dialogs_.ExecModal(*PrefForm) != QDialog::Accepted) return;
    SigDigits = PrefForm->Digits();
    MSize = PrefForm->MarkerSize();
    tracing_ = PrefForm->Tracing();
    if (TChildForm* child = ActiveChild()) {
        child->FormPaint();
        child->Document().UpDateMemo(1);
    }
    if (!settings_.OpenKey(kSettingsKey, true)) return;  // the new values hold until the program ends
    // The store may only find out that it cannot write when the key is closed; then the first
    // value is the one that did not reach it.
    const char* writing = "SigDigits";
    try {
        settings_.WriteInteger(writing, SigDigits);
        writing = "MSize";
        settings_.WriteInteger(writing, MSize);
        const std::pair<const char*, int> tracing[3] = {
            {"TraceStep", tracing_.Step}, {"TraceTolerance", tracing_.Tolerance}, {"TraceGap", tracing_.Gap}};
        for (const auto& [name, value] : tracing) {
            writing = name;
            settings_.WriteInteger(writing, value);
        }
        writing = "SigDigits";
        settings_.CloseKey();
    } catch (const SettingsError&) {
        try {
            settings_.CloseKey();
        } catch (const SettingsError&) {
        }
        dialogs_.StandardErrorBox(this, QString("Failed to set data for '%1'").arg(writing));
    }
}

// ---------------------------------------------------------------------------------------------
// Start-up and closing

void TMainForm::paintEvent(QPaintEvent* event) {
    QMainWindow::paintEvent(event);
    if (FirstPaint && !quickStartQueued_) {
        quickStartQueued_ = true;
        // Not from inside the paint: the Quick Start window runs its own event loop.
        QMetaObject::invokeMethod(this, &TMainForm::ShowQuickStartAtStartup, Qt::QueuedConnection);
    }
}

void TMainForm::ShowQuickStartAtStartup() {
    if (!startupFiles_.isEmpty()) {
        // Files named on the command line take the place of the Quick Start window for this start.
        Transfer transfer;
        std::swap(transfer.files, startupFiles_);
        OpenTransfer(transfer);
    } else if (ShowQuickStart && FirstPaint) {
        QuickStart1Click();
    }
    FirstPaint = false;
}

void TMainForm::closeEvent(QCloseEvent* event) {
    // Every document is asked, the bottom one first; a refusal does not stop the others.
    const std::vector<TChildForm*> children = MDIChildren();
    std::vector<QPointer<TChildForm>> asked(children.begin(), children.end());
    for (auto it = asked.rbegin(); it != asked.rend(); ++it)
        if (*it) (*it)->close();
    // Windows that agreed are on their way out (deleted once control is back in the event loop).
    if (!MDIChildren().empty()) {
        event->ignore();
        return;
    }
    WriteSettings();
    if (helpForm_) helpForm_->close();  // the program ends with its main window
    event->accept();
}

void TMainForm::resizeEvent(QResizeEvent* event) {
    QMainWindow::resizeEvent(event);
    for (TChildForm* child : MDIChildren())
        child->FormPaint();
}

bool TMainForm::eventFilter(QObject* watched, QEvent* event) {
    // Files or a picture dragged over a scale field open as anywhere else on the window; text
    // dragged there is the field's.
    if (qobject_cast<QLineEdit*>(watched) &&
        (event->type() == QEvent::DragEnter || event->type() == QEvent::DragMove ||
         event->type() == QEvent::Drop)) {
        auto* drag = static_cast<QDropEvent*>(event);
        if (TakeDrag(*drag)) {
            if (event->type() == QEvent::Drop) dropEvent(drag);
            return true;
        }
    }
    if (event->type() == QEvent::ShortcutOverride && qobject_cast<QLineEdit*>(watched)) {
        // A scale field keeps Ctrl+V for pasting text; without text on the clipboard it lets
        // Paste Picture have the key, since the first field has the focus from the start.
        // Copied files count as no text, also when their paths come as text too.
        const QMimeData* data = QGuiApplication::clipboard()->mimeData();
        if (static_cast<QKeyEvent*>(event)->matches(QKeySequence::Paste) && PastePicture1->isEnabled() &&
            !(data && !data->text().isEmpty() && FilesOf(*data).isEmpty())) {
            event->ignore();
            return true;
        }
        // Likewise Undo and Redo: the field's own typing first, then the document's changes.
        const auto* key = static_cast<QKeyEvent*>(event);
        const auto* edit = static_cast<QLineEdit*>(watched);
        if ((key->matches(QKeySequence::Undo) && !edit->isUndoAvailable() && Undo1->isEnabled()) ||
            (IsRedoKey(*key) && !edit->isRedoAvailable() && Redo1->isEnabled())) {
            event->ignore();
            return true;
        }
    }
    if (event->type() == QEvent::KeyPress && static_cast<QKeyEvent*>(event)->key() == Qt::Key_F1) {
        if (auto* menu = qobject_cast<QMenu*>(watched)) {
            const QAction* item = menu->activeAction();
            const int context = item ? item->property(kHelpContext).toInt() : 0;
            if (context > 0) {
                // Help for the highlighted item: the menus close first.
                for (QWidget* w : QApplication::topLevelWidgets())
                    if (auto* open = qobject_cast<QMenu*>(w); open && open->isVisible()) open->close();
                QMetaObject::invokeMethod(
                    this, [this, context] { ShowHelpTopic(context); }, Qt::QueuedConnection);
                return true;
            }
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

// ---------------------------------------------------------------------------------------------
// Documents

std::vector<TChildForm*> TMainForm::MDIChildren() const {
    std::vector<TChildForm*> children;
    const QList<QMdiSubWindow*> stack = MDIClient->subWindowList(QMdiArea::StackingOrder);
    for (auto it = stack.rbegin(); it != stack.rend(); ++it)
        if (auto* child = qobject_cast<TChildForm*>(*it); child && !child->Closing())
            children.push_back(child);
    return children;
}

TChildForm* TMainForm::ActiveChild() const {
    if (active_ && !active_->Closing()) return active_;
    return nullptr;
}

QLineEdit* TMainForm::ScaleEdit(int tag) const {
    switch (tag) {
        case 1:
            return Edit1;
        case 2:
            return Edit2;
        case 3:
            return Edit3;
        case 4:
            return Edit4;
        default:
            return nullptr;
    }
}

void TMainForm::Open1Click() {
    FileDialogRequest request;
    request.filters = FileFilterList(Q(OpenDialogFilter()));
    request.filterIndex = openFilter_ >= 1 && openFilter_ <= request.filters.size() ? openFilter_ - 1 : 0;
    request.helpContext = 501;
    const auto chosen = dialogs_.OpenFileName(this, request);
    if (!chosen) return;
    if (chosen->filterIndex >= 0) openFilter_ = chosen->filterIndex + 1;
    OpenFile(chosen->path);
}

void TMainForm::OpenFile(const QString& fileName) {
    const std::string path = fileName.toStdString();
    const FileKind kind = KindOfFile(path);
    if (kind == FileKind::Unknown) return;
    std::unique_ptr<PlotDocument> doc;
    QString failure, reason;
    try {
        PageChoice choice;
        if (kind != FileKind::Project && !ChoosePage(path, kind, choice)) return;  // nothing opens
        BusyCursor busy;
        doc = kind == FileKind::Project ? LoadProjectFile(path) : OpenPictureDocument(path, choice);
    } catch (const ProjectError& e) {
        failure = Q(e.what());
    } catch (const OpenError& e) {
        failure = Q(e.what());
        reason = Q(e.Reason());
    }
    if (kind == FileKind::Project) SyncPlotTypeMenu();  // a project brings its plot type
    if (!doc) {
        dialogs_.ErrorBox(this, failure, reason);
        // The failed document goes the way of any closing one.
        DocumentGone(path, false);
        return;
    }
    AddDocument(std::move(doc));
}

bool TMainForm::ChoosePage(const std::string& path, FileKind kind, PageChoice& choice) {
    const PictureFormat* format = PictureFormatOf(kind);
    choice.dpi = pdfDpi_;
    if (!format || !format->hasPages) return true;
    int pages = 1;
    {
        BusyCursor busy;
        pages = PicturePageCount(path, kind);
    }
    // A single page is asked about only for its resolution.
    if (pages <= 1 && !format->takesResolution) return true;
    TPageForm form(
        pages, format->takesResolution ? pdfDpi_ : 0, [this] { ShowHelpTopic(540); }, this);
    if (dialogs_.ExecModal(form) != QDialog::Accepted) return false;
    choice.page = form.Page();
    if (format->takesResolution) choice.dpi = pdfDpi_ = form.Dpi();
    return true;
}

TChildForm* TMainForm::AddDocument(std::unique_ptr<PlotDocument> doc) {
    auto* child = new TChildForm(*this, std::move(doc));
    MDIClient->addSubWindow(child);
    child->show();
    child->StretchB();
    MDIClient->setActiveSubWindow(child);
    child->Document().MarkOpened();
    Window1->menuAction()->setVisible(true);
    UpdateUndoItems();
    return child;
}

// ---------------------------------------------------------------------------------------------
// Pictures from the clipboard, from drops and from the command line

TMainForm::Transfer TMainForm::TransferOf(const QMimeData* data) {
    Transfer transfer;
    if (!data) return transfer;
    transfer.files = FilesOf(*data);
    // Files come first: they keep their name and their exact pixels. Picture data that comes with
    // them (a browser's image and its web address) is taken when no file is one the program opens.
    if (!OpensAny(transfer.files) && data->hasImage()) {
        transfer.image = qvariant_cast<QImage>(data->imageData());
        if (!transfer.image.isNull()) transfer.files.clear();
    }
    return transfer;
}

void TMainForm::OpenTransfer(const Transfer& transfer) {
    for (const QString& file : transfer.files) {
        if (KindOfFile(file.toStdString()) == FileKind::Unknown)
            dialogs_.ErrorBox(this,
                              "File " + QFileInfo(file).fileName() + " is not a picture or project file.");
        else
            OpenFile(file);
    }
    if (!transfer.image.isNull()) OpenPictureData(transfer.image);
}

void TMainForm::OpenPictureData(const QImage& image) {
    Bitmap picture;
    try {
        BusyCursor busy;
        picture = ToBitmap(image);
    } catch (const std::length_error&) {
        dialogs_.ErrorBox(this, QString("The picture is too large: %1 x %2 pixels (at most %3).")
                                    .arg(image.width())
                                    .arg(image.height())
                                    .arg(Bitmap::kMaxPixels));
        return;
    } catch (const std::bad_alloc&) {
        dialogs_.ErrorBox(this, "Not enough memory for the picture.");
        return;
    }
    if (picture.Empty()) return;
    const std::string caption = "Pasted Picture " + std::to_string(++pasted_);
    TChildForm* child = AddDocument(NewPictureDocument(std::move(picture), caption, PictureDataFolder()));
    // Never saved: closing asks to save it, and until it is saved it has no file for the recent files.
    child->Document().MarkNeverSaved();
    unfiled_.insert(child);
}

void TMainForm::PastePicture1Click() {
    OpenTransfer(TransferOf(QGuiApplication::clipboard()->mimeData()));
}

void TMainForm::DocumentEdited(TChildForm&) {
    UpdateUndoItems();
}

void TMainForm::UpdateUndoItems() {
    const TChildForm* child = ActiveChild();
    const std::string undo = child ? child->Document().UndoName() : std::string();
    const std::string redo = child ? child->Document().RedoName() : std::string();
    Undo1->setText(undo.empty() ? "&Undo" : "&Undo " + Q(undo).replace("&", "&&"));
    Redo1->setText(redo.empty() ? "&Redo" : "&Redo " + Q(redo).replace("&", "&&"));
    Undo1->setEnabled(!undo.empty());
    Redo1->setEnabled(!redo.empty());
    // The tool-bar buttons' hints name the change as the menu does.
    Undo1->setToolTip(undo.empty() ? "Undo" : Q("Undo " + undo));
    Redo1->setToolTip(redo.empty() ? "Redo" : Q("Redo " + redo));
}

void TMainForm::Undo1Click() {
    StepHistory(true);
}

void TMainForm::Redo1Click() {
    StepHistory(false);
}

void TMainForm::StepHistory(bool back) {
    TChildForm* child = ActiveChild();
    if (!child) return;
    PlotDocument& doc = child->Document();
    DisplayChange change;
    if (!(back ? doc.Undo(change) : doc.Redo(change))) {
        UpdateUndoItems();
        return;
    }
    ShowScaleValues(doc);
    SyncCalibrationMenu();
    child->ShowChange(change);
}

void TMainForm::ShowScaleValues(const PlotDocument& doc) {
    // The values as they are now, without typing them again: a field that already shows its value
    // keeps its text.
    for (int tag = 1; tag <= 4; ++tag) {
        QLineEdit* edit = ScaleEdit(tag);
        const double shown = StrToFloatOrZero(edit->text().toStdString()), value = doc.ScaleValue(tag);
        if (shown == value && std::signbit(shown) == std::signbit(value)) continue;
        const QSignalBlocker quiet(edit);
        edit->setText(Q(FloatToStr(value)));
    }
}

void TMainForm::ClipboardChanged() {
    const QMimeData* data = QGuiApplication::clipboard()->mimeData();
    PastePicture1->setEnabled(data && (data->hasImage() || OpensAny(FilesOf(*data))));
}

void TMainForm::dragEnterEvent(QDragEnterEvent* event) {
    TakeDrag(*event);
}

void TMainForm::dropEvent(QDropEvent* event) {
    Transfer transfer = TransferOf(event->mimeData());
    if (transfer.files.isEmpty() && transfer.image.isNull()) return;
    event->setDropAction(Qt::CopyAction);
    event->accept();
    // Opened once the drop is over: the program that started the drag is not kept waiting while
    // files open or a message is answered.
    QMetaObject::invokeMethod(
        this, [this, transfer = std::move(transfer)] { OpenTransfer(transfer); }, Qt::QueuedConnection);
}

void TMainForm::OpenStartupFiles(const QStringList& files) {
    for (const QString& file : files)
        startupFiles_ << QDir::cleanPath(QFileInfo(file).absoluteFilePath());
    if (!FirstPaint) ShowQuickStartAtStartup();
}

void TMainForm::Save1Click() {
    if (TChildForm* child = ActiveChild()) SaveDocument(*child);
}

bool TMainForm::SaveDocument(TChildForm& child) {
    PlotDocument& doc = child.Document();
    if (IsProjectName(doc.Caption)) return SaveAsProject(child, doc.DocumentFolder + doc.Caption);
    FileDialogRequest request;
    request.filters = FileFilterList(kProjectFilter);
    request.fileName = Q(ProposedProjectPath(doc));
    const auto chosen = dialogs_.SaveFileName(this, request);
    if (!chosen) return false;
    return SaveAsProject(child, WithProjectExtension(chosen->path.toStdString()));
}

bool TMainForm::SaveAsProject(TChildForm& child, const std::string& path) {
    PlotDocument& doc = child.Document();
    if (!WriteProjectFile(doc, path)) return false;
    // From now on the document is that file, as in any editor: its title, the closing prompt, the
    // recent files and the next Save all name it.
    TakeFileName(doc, path);
    unfiled_.erase(&child);
    child.setWindowTitle(Q(doc.Caption));
    UpdateUndoItems();  // a scale value being typed became a change of its own
    return true;
}

void TMainForm::SaveAs1Click() {
    TChildForm* child = ActiveChild();
    if (!child) return;
    FileDialogRequest request;
    request.filters = FileFilterList(kProjectFilter);
    request.directory = Q(child->Document().DocumentFolder);
    const auto chosen = dialogs_.SaveFileName(this, request);
    if (!chosen) return;
    SaveAsProject(*child, WithProjectExtension(chosen->path.toStdString()));
}

bool TMainForm::WriteProjectFile(PlotDocument& doc, const std::string& path) {
    try {
        BusyCursor busy;
        SaveToFile(doc, path);
        return true;
    } catch (const std::system_error& e) {
        // The path is on the first line already; the second gives the system's reason.
        dialogs_.StandardErrorBox(this, "Cannot create file " + Q(path) + "\n" + Q(e.code().message()));
    } catch (const std::exception& e) {
        dialogs_.StandardErrorBox(this, "Cannot create file " + Q(path) + "\n" + Q(e.what()));
    }
    return false;
}

void TMainForm::Close1Click() {
    if (TChildForm* child = ActiveChild()) child->close();
}

bool TMainForm::DocumentCloseQuery(TChildForm& child) {
    PlotDocument& doc = child.Document();
    if (doc.Modified) {
        switch (dialogs_.AskYesNoCancel(this, "Save changes to " + Q(doc.Caption) + "?")) {
            case Answer::Cancel:
                return false;
            case Answer::Yes:
                if (!SaveDocument(child)) return false;
                break;
            case Answer::No:
                break;
        }
    }
    // A picture pasted and never saved has no file to list among the recent ones.
    DocumentGone(unfiled_.erase(&child) ? std::string() : doc.DocumentFolder + doc.Caption, true);
    // Another document that stays active keeps showing its own mode.
    if (TChildForm* active = ActiveChild(); active && active != &child) ShowEditingMode(active->Document());
    if (doc.Memo == Memo1) doc.Memo = nullptr;
    return true;
}

void TMainForm::DocumentGone(const std::string& fullPath, bool hasWindow) {
    if (!fullPath.empty()) {
        MFiles.Enter(fullPath);
        UpdateMFiles();
    }
    if (MDIChildren().size() == (hasWindow ? 1u : 0u)) ResetPanel();
    ReleaseModeButtons();
}

void TMainForm::ResetPanel() {
    Window1->menuAction()->setVisible(false);
    for (QLineEdit* edit : {Edit1, Edit2, Edit3, Edit4})
        edit->setText("0");
    Memo1->Clear();
    SyncCalibrationMenu();
}

void TMainForm::ReleaseModeButtons() {
    for (QAction* button :
         {ToolButton8, ToolButton9, ToolButton10, ToolButton13, ToolButton14, ToolButton17, ToolButton18})
        button->setChecked(false);
}

void TMainForm::SubWindowActivated(QMdiSubWindow* window) {
    auto* entered = qobject_cast<TChildForm*>(window);
    if (!entered) {
        // The area only reports no window when the last one went; a window being left for a
        // dialog or another program keeps its place.
        if (MDIChildren().empty()) active_ = nullptr;
        UpdateWindowMenu();
        return;
    }
    if (entered == active_) return;
    if (active_ && !active_->Closing()) active_->FormDeactivate();
    active_ = entered;
    entered->FormActivate();
    ShowEditingMode(entered->Document());
    UpdateUndoItems();
    SyncCalibrationMenu();
    UpdateWindowMenu();
}

void TMainForm::UpdateWindowMenu() {
    for (QAction* a : windowItems_) {
        Window1->removeAction(a);
        a->deleteLater();
    }
    windowItems_.clear();
    const QList<QMdiSubWindow*> windows = MDIClient->subWindowList(QMdiArea::CreationOrder);
    int number = 0;
    for (QMdiSubWindow* w : windows) {
        auto* child = qobject_cast<TChildForm*>(w);
        if (!child || child->Closing()) continue;
        if (number == 0) windowItems_.push_back(Window1->addSeparator());
        ++number;
        QString caption = child->windowTitle();
        caption.replace("&", "&&");
        QAction* a = Window1->addAction(QString("&%1 %2").arg(number).arg(caption));
        a->setCheckable(true);
        a->setChecked(child == active_);
        QPointer<TChildForm> target(child);
        connect(a, &QAction::triggered, this, [this, target] {
            if (target) MDIClient->setActiveSubWindow(target);
        });
        windowItems_.push_back(a);
    }
}

void TMainForm::EditChange(int tag) {
    QLineEdit* edit = ScaleEdit(tag);
    TChildForm* child = ActiveChild();
    if (!child) {
        edit->setText("0");
        return;
    }
    child->Document().SetScaleValue(tag, StrToFloatOrZero(edit->text().toStdString()));
    UpdateUndoItems();
    RepaintGrid();
}

void TMainForm::PlotType(QAction* item) {
    item->setChecked(true);
    ChosenPlotType = curvana::PlotType(item->data().toInt());
    if (TChildForm* child = ActiveChild()) {
        child->Document().RefreshListing(1);
        child->Document().MarkChangedOutsideHistory();  // the plot type is not undone
    }
    RepaintGrid();
}

void TMainForm::SyncPlotTypeMenu() {
    for (QAction* a : PlotTypeGroup->actions())
        if (a->data().toInt() == int(ChosenPlotType)) a->setChecked(true);
}

// ---------------------------------------------------------------------------------------------
// View

void TMainForm::ZoomDocument(TChildForm& child, bool in, const QPoint& globalPoint) {
    // A window in the background is brought forward first, so that the zoom never changes a
    // document other than the active one.
    if (ActiveChild() != &child) MDIClient->setActiveSubWindow(&child);
    if (ActiveChild() != &child) return;
    ChangeZoom(&child, in ? &PlotDocument::ZoomIn : &PlotDocument::ZoomOut, globalPoint);
}

void TMainForm::ChangeZoom(TChildForm* child, bool (PlotDocument::*step)(),
                           std::optional<QPoint> globalPoint) {
    if (!child) return;
    bool done = false;
    {
        BusyCursor busy;
        done = child->Zoom(step, globalPoint);
    }
    if (!done) QApplication::beep();  // the picture cannot be shown at that size
}

void TMainForm::ZoomIn1Click() {
    ChangeZoom(ActiveChild(), &PlotDocument::ZoomIn);
}

void TMainForm::ZoomOut1Click() {
    ChangeZoom(ActiveChild(), &PlotDocument::ZoomOut);
}

void TMainForm::N3Click() {
    ChangeZoom(ActiveChild(), &PlotDocument::NormalSize);
}

void TMainForm::Redraw1Click() {
    if (TChildForm* child = ActiveChild()) child->FormPaint();
}

// ---------------------------------------------------------------------------------------------
// Editing modes

void TMainForm::ShowStatus(int panel, const QString& text) {
    StatusPanels[std::size_t(panel)]->setText(text);
}

std::array<TMainForm::EditingMode, 7> TMainForm::EditingModes() const {
    return {{
        {&PlotDocument::AddPointMode, ToolButton9, AddPointtoDataSerie1,
         "Click in the plot to add a marker to a dataseries."},
        {&PlotDocument::DeletePointMode, ToolButton8, RemovePointFromDataSerie1,
         "Click a marker on a dataseries to delete it."},
        {&PlotDocument::DeleteSeriesMode, ToolButton10, RemoveDataSerie1,
         "Click on a dataseries to delete it."},
        {&PlotDocument::AddSingleMode, ToolButton13, AddSingleMarker1, "Click to add a single marker."},
        {&PlotDocument::DeleteSingleMode, ToolButton14, DeleteSingleMarker1,
         "Click on a single marker to delete it."},
        {&PlotDocument::TraceCurveMode, ToolButton17, TraceCurve1, "Click on a curve to trace it."},
        {&PlotDocument::TraceSymbolsMode, ToolButton18, TraceSymbols1,
         "Click on a symbol to find all symbols like it."},
    }};
}

void TMainForm::ModeCommand(const EditingMode& mode, bool fromMenu) {
    TChildForm* child = ActiveChild();
    if (!child) {
        mode.button->setChecked(false);
        mode.item->setChecked(false);  // the menu checked its item on its own
        return;
    }
    if (fromMenu) mode.button->setChecked(!mode.button->isChecked());  // its group releases the others
    PlotDocument& doc = child->Document();
    if (mode.button->isChecked()) {
        doc.SetEditingMode(mode.flag);
        QActionGroup* other =
            mode.button->actionGroup() == SeriesModeButtons ? SingleModeButtons : SeriesModeButtons;
        for (QAction* a : other->actions())
            a->setChecked(false);
        ShowStatus(1, mode.prompt);
    } else {
        if (doc.*mode.flag) doc.SetEditingMode(nullptr);
        ShowStatus(1, QString());
    }
}

void TMainForm::ShowEditingMode(const PlotDocument& doc) {
    QString prompt;  // no mode: none, as in a new document
    for (const EditingMode& m : EditingModes()) {
        const bool on = doc.*m.flag;
        m.button->setChecked(on);
        if (on) prompt = m.prompt;
    }
    ShowStatus(1, prompt);
}

void TMainForm::ToolButton9Click(bool fromMenu) {
    ModeCommand(EditingModes()[0], fromMenu);
}

void TMainForm::ToolButton8Click(bool fromMenu) {
    ModeCommand(EditingModes()[1], fromMenu);
}

void TMainForm::ToolButton10Click(bool fromMenu) {
    ModeCommand(EditingModes()[2], fromMenu);
}

void TMainForm::ToolButton13Click(bool fromMenu) {
    ModeCommand(EditingModes()[3], fromMenu);
}

void TMainForm::ToolButton14Click(bool fromMenu) {
    ModeCommand(EditingModes()[4], fromMenu);
}

void TMainForm::ToolButton17Click(bool fromMenu) {
    ModeCommand(EditingModes()[5], fromMenu);
}

void TMainForm::ToolButton18Click(bool fromMenu) {
    ModeCommand(EditingModes()[6], fromMenu);
}

void TMainForm::TraceAt(TChildForm& child, TPoint p) {
    PlotDocument& doc = child.Document();
    const bool symbols = doc.TraceSymbolsMode;
    TraceBox box;
    for (int n = 1; n <= 4; ++n)
        box[std::size_t(n - 1)] = doc.Box.Marker(n).Position();
    std::vector<TPoint> points;
    {
        BusyCursor busy;  // a large picture takes a moment
        points =
            symbols ? TraceSymbols(doc.Picture, box, p, tracing_) : TraceCurve(doc.Picture, box, p, tracing_);
    }
    if (points.size() < 2) {
        dialogs_.ErrorBox(this, symbols ? "Fewer than two symbols like that one were found."
                                        : "No curve was found at that point.");
        return;
    }
    child.ShowChange(doc.AddTracedSeries(points, symbols ? "Trace Symbols" : "Trace Curve"));
}

void TMainForm::ToolButton11Click() {
    TChildForm* child = ActiveChild();
    if (!child) return;
    PlotDocument& doc = child->Document();
    const TPoint b1 = doc.Box.Marker(1).Position(), b4 = doc.Box.Marker(4).Position();
    // A tenth of the way from corner 1 towards corner 4, and the middle of that diagonal.
    const auto at = [](std::int64_t sum, double parts) { return std::int32_t(Round(double(sum) / parts)); };
    const TPoint p1{at(9 * std::int64_t(b1.X) + b4.X, 10), at(9 * std::int64_t(b1.Y) + b4.Y, 10)};
    const TPoint p2{at(std::int64_t(b1.X) + b4.X, 2), at(std::int64_t(b1.Y) + b4.Y, 2)};
    child->ShowChange(doc.AddSeries(p1, p2));
    // The series modes end; a single-marker mode stays.
    for (QAction* a : SeriesModeButtons->actions())
        for (const EditingMode& m : EditingModes())
            if (m.button == a && doc.*m.flag) doc.SetEditingMode(nullptr);
    for (QAction* a : SeriesModeButtons->actions())
        a->setChecked(false);
    ShowStatus(1, QString());
}

void TMainForm::DeleteallsingleMarkers1Click() {
    TChildForm* child = ActiveChild();
    if (!child) return;
    child->ShowChange(child->Document().DeleteAllSingleMarkers());
}

// ---------------------------------------------------------------------------------------------
// Window

void TMainForm::Cascade1Click() {
    MDIClient->cascadeSubWindows();
}

void TMainForm::Tile1Click() {
    // Horizontally: the windows that are not minimised share the area's height, one above the other.
    std::vector<QMdiSubWindow*> windows;
    for (QMdiSubWindow* w : MDIClient->subWindowList(QMdiArea::StackingOrder))
        if (w->isVisible() && !w->isMinimized()) windows.push_back(w);
    if (windows.empty()) return;
    // The whole area, also where scroll bars show now: once tiled, nothing lies beyond it.
    const QSize area = MDIClient->contentsRect().size();
    const int n = int(windows.size());
    int y = 0;
    for (int i = 0; i < n; ++i) {
        const int h = area.height() * (i + 1) / n - area.height() * i / n;
        QMdiSubWindow* w = windows[std::size_t(n - 1 - i)];
        // A document window is otherwise no larger than its picture; tiled, it fills its row.
        w->setMaximumSize(w->maximumSize().expandedTo(QSize(area.width(), h)));
        w->setGeometry(0, y, area.width(), h);
        y += h;
    }
}

void TMainForm::ArrangeIcons1Click() {
    // Minimised windows in rows along the bottom of the area, left to right.
    const QSize area = MDIClient->viewport()->size();
    int x = 0, y = -1;
    for (QMdiSubWindow* w : MDIClient->subWindowList(QMdiArea::CreationOrder)) {
        if (!w->isVisible() || !w->isMinimized()) continue;
        const QSize s = w->size();
        if (y < 0) y = area.height() - s.height();
        if (x > 0 && x + s.width() > area.width()) {
            x = 0;
            y -= s.height();
        }
        w->move(x, std::max(0, y));
        x += s.width();
    }
}

// ---------------------------------------------------------------------------------------------
// Recent files

void TMainForm::UpdateMFiles() {
    N11->setVisible(MFiles.SeparatorVisible());
    for (int k = 1; k <= RecentFiles::kCount; ++k) {
        QAction* item = MFileItems[std::size_t(k - 1)];
        item->setText(Q(MFiles.Caption(k)));
        item->setVisible(MFiles.ItemVisible(k));
    }
}

void TMainForm::MFileClick(int tag) {
    const QString path = Q(MFiles.Entry(tag));
    const QFileInfo file(path);
    if (file.exists() && !file.isDir()) {
        OpenFile(path);
        return;
    }
    dialogs_.ErrorBox(this, "File " + path + " does no longer exists.");
    MFiles.Remove(tag);
    UpdateMFiles();
}

// ---------------------------------------------------------------------------------------------
// Help

static THelpForm* EnsureHelp(THelpForm*& form, const QString& file, Dialogs& dialogs, QWidget* parent) {
    if (!form) form = new THelpForm(dialogs, parent);
    form->SetHelpFile(file);
    return form;
}

void TMainForm::ShowHelpTopic(int context) {
    EnsureHelp(helpForm_, HelpFile, dialogs_, this)->ShowTopic(context);
}

void TMainForm::ShowHelpContents() {
    EnsureHelp(helpForm_, HelpFile, dialogs_, this)->ShowContents();
}

void TMainForm::ShowHelpIndex() {
    EnsureHelp(helpForm_, HelpFile, dialogs_, this)->ShowIndex();
}

void TMainForm::QuickStart1Click() {
    TQSForm form(settings_, dialogs_);
    dialogs_.ExecModal(form);
    form.StoreChoice();
}

void TMainForm::Homepage1Click() {
    const QUrl url(kHomepage);
    if (!dialogs_.OpenUrl(url)) dialogs_.StandardErrorBox(this, "Cannot open " + url.toString());
}

void TMainForm::About1Click() {
    dialogs_.ExecModal(*AboutBox);
}

}  // namespace curvana
