#pragma once

#include <QImage>
#include <QMainWindow>
#include <QPointer>
#include <QStringList>
#include <array>
#include <memory>
#include <optional>
#include <set>
#include <vector>

#include "app/RecentFiles.h"
#include "document/PictureFormats.h"
#include "document/TChildForm.h"
#include "trace/Trace.h"

class QAction;
class QActionGroup;
class QLabel;
class QLineEdit;
class QMimeData;
class QMdiArea;
class QMenu;
class QPrinter;
class QSplitter;
class QToolBar;

namespace curvana {

class Dialogs;
class SettingsStore;
class TAboutBox;
class THelpForm;
class TListingMemo;
class TPrefForm;

// The frame of the program: menus, tool bar, the side panel with the scale fields and the data
// listing, the status bar and the document windows. It reads the settings when it is made and
// writes them back when it closes.
class TMainForm : public QMainWindow, public DocumentHost {
    Q_OBJECT
  public:
    TMainForm(Dialogs& dialogs, SettingsStore& settings, QWidget* parent = nullptr);
    ~TMainForm() override;

    // Menus and their items. An item's help context is its "HelpContext" property.
    QMenu *File1, *EditMenu1, *Zoom1, *Plot1, *Type1, *Data1, *Window1, *Help1;
    QAction *Open1, *Close1, *Save1, *SaveAs1, *PrintSetup1, *Print1, *Preferences1, *Exit1;
    std::array<QAction*, RecentFiles::kCount> MFileItems;  // N12, N21, N31, N41
    QAction* N11;                                          // the separator below them
    QAction *Undo1, *Redo1;  // Edit > Undo and Redo, naming the change they take back or make again
    QAction* PastePicture1;  // Edit > Paste Picture: enabled while the clipboard holds a picture
    QAction *ZoomIn1, *ZoomOut1, *N3, *Redraw1;
    QAction *LinearLinear1, *LogLinear1, *LinearLog1, *LogLog1;
    QActionGroup* PlotTypeGroup;
    QAction *AddDataSerie1, *RemoveDataSerie1, *AddPointtoDataSerie1, *RemovePointFromDataSerie1,
        *AddSingleMarker1, *DeleteSingleMarker1, *DeleteallsingleMarkers1, *CopyDatatoClipBoard1, *Export1;
    QAction *Cascade1, *Tile1, *ArrangeIcons1;
    // Plot > Calibration (the active document's method), View > Calibration Grid, Edit > Copy
    // Calibration and Paste Calibration (enabled while the clipboard holds a calibration).
    QMenu* Calibration1;
    QAction *Bilinear1, *Perspective1, *CalibrationGrid1, *CopyCalibration1, *PasteCalibration1;
    QActionGroup* CalibrationGroup;
    QAction *Contents1, *Index1, *QuickStartTurorial1, *MorvaneHomepage1, *About1;

    // The tool bar; the five editing-mode buttons, of which at most one is down: the series modes
    // (10, 9, 8) and the single-marker modes (13, 14) in two groups.
    QToolBar* ToolBar1;
    QAction *ToolButton8, *ToolButton9, *ToolButton10, *ToolButton13, *ToolButton14;
    QAction *ToolButton17, *ToolButton18;  // Trace Curve and Trace Symbols
    QAction *TraceCurve1, *TraceSymbols1;
    QActionGroup *SeriesModeButtons, *SingleModeButtons;

    // The side panel and its pop-up menu; its right edge, shared with the document area, can be
    // dragged to widen it.
    QWidget* Panel1;
    QSplitter* Splitter1;
    QLineEdit *Edit1, *Edit2, *Edit3, *Edit4;
    TListingMemo* Memo1;
    QMenu* PopupMenu1;
    QAction *CopyToClipBoard1, *Export2;

    // The status bar's panels: data coordinates under the pointer, the editing mode's prompt.
    std::array<QLabel*, 2> StatusPanels;

    QMdiArea* MDIClient;
    TAboutBox* AboutBox;
    TPrefForm* PrefForm;  // made once, shown by Preferences

    bool FirstPaint = true;
    bool ShowQuickStart = true;
    RecentFiles MFiles;
    QString HelpFile;

    // Opens a project or picture by its type key into a new document window.
    void OpenFile(const QString& fileName);
    // Files named on the command line: they open, in order, once the main window shows, and then
    // the Quick Start window stays away for this start. Relative paths are taken from the current
    // folder.
    void OpenStartupFiles(const QStringList& files);
    // Picture data (pasted or dropped) as a new document "Pasted Picture N" that has no file yet.
    void OpenPictureData(const QImage& image);
    // The document windows in the frame's order: the active (topmost) one first.
    std::vector<TChildForm*> MDIChildren() const;
    TChildForm* ActiveChild() const;
    // Saves a document by the save rules; false when nothing was written.
    bool SaveDocument(TChildForm& child);
    // The side panel's width; setting it keeps it at least as wide as designed.
    int PanelWidth() const;
    void SetPanelWidth(int width);

    void UpdateMFiles();
    void MFileClick(int tag);
    void EditChange(int tag);
    void PlotType(QAction* item);
    // The help window at a context number's topic, at the contents or at the index.
    void ShowHelpTopic(int context);
    void ShowHelpContents();
    void ShowHelpIndex();
    THelpForm* HelpWindow() const { return helpForm_; }

    // DocumentHost
    bool DocumentCloseQuery(TChildForm& child) override;
    QLineEdit* ScaleEdit(int tag) const override;
    TListingMemo* ListingMemo() const override { return Memo1; }
    int DocumentCount() const override { return int(MDIChildren().size()); }
    bool IsActiveDocument(const TChildForm& child) const override { return ActiveChild() == &child; }
    void ShowStatus(int panel, const QString& text) override;
    Dialogs& HostDialogs() override { return dialogs_; }
    void ZoomDocument(TChildForm& child, bool in, const QPoint& globalPoint) override;
    void DocumentEdited(TChildForm& child) override;
    void TraceAt(TChildForm& child, TPoint p) override;
    // The tracing settings of Preferences.
    const TraceSettings& Tracing() const { return tracing_; }

  public slots:
    void Open1Click();
    void PastePicture1Click();
    void Undo1Click();
    void Redo1Click();
    void Close1Click();
    void Save1Click();
    void SaveAs1Click();
    void ZoomIn1Click();
    void ZoomOut1Click();
    void N3Click();
    void Redraw1Click();
    void Cascade1Click();
    void Tile1Click();
    void ArrangeIcons1Click();
    void QuickStart1Click();
    void Homepage1Click();
    void About1Click();
    // The editing modes: Delete Marker From DataSeries, Add Marker to DataSeries, Delete DataSeries,
    // Add Single Marker, Delete Single Marker. fromMenu: the Data menu's item, which toggles the button.
    void ToolButton8Click(bool fromMenu = false);
    void ToolButton9Click(bool fromMenu = false);
    void ToolButton17Click(bool fromMenu = false);
    void ToolButton18Click(bool fromMenu = false);
    void ToolButton10Click(bool fromMenu = false);
    void ToolButton13Click(bool fromMenu = false);
    void ToolButton14Click(bool fromMenu = false);
    // Add DataSeries.
    void ToolButton11Click();
    void DeleteallsingleMarkers1Click();
    void Preferences1Click();
    void CopyDatatoClipBoard1Click();
    // Export.
    void ToolButton15Click();
    void CalibrationMethodClick(QAction* item);
    void CalibrationGrid1Click(bool checked);
    void CopyCalibration1Click();
    void PasteCalibration1Click();
    void Print1Click();
    void PrintSetup1Click();
    // The printer that print setup prepares and printing uses.
    QPrinter& Printer();

  protected:
    void closeEvent(QCloseEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

  private:
    void CreateMenus();
    void CreateToolBar();
    void CreatePanel();
    void ReadSettings();
    void WriteSettings();
    void KeepOnScreen();
    void SubWindowActivated(QMdiSubWindow* window);
    void UpdateWindowMenu();
    // Asks which page of a picture with pages to open and, where the format takes one, the
    // resolution; false when the user cancels. OpenError when the pages cannot be counted.
    bool ChoosePage(const std::string& path, FileKind kind, PageChoice& choice);
    TChildForm* AddDocument(std::unique_ptr<PlotDocument> doc);
    // Files and picture data handed over by the clipboard or a drop: each file opens as File > Open
    // would, one of a type the program does not open is named in a message.
    struct Transfer {
        QStringList files;
        QImage image;
    };
    static Transfer TransferOf(const QMimeData* data);
    void OpenTransfer(const Transfer& transfer);
    void ClipboardChanged();
    // The Edit menu's undo and redo follow the active document's history.
    void UpdateUndoItems();
    // Undo (true) or redo in the active document, shown and listed as ordinary editing would.
    void StepHistory(bool back);
    // The side panel's scale fields show the document's values.
    void ShowScaleValues(const PlotDocument& doc);
    // A document (or one that failed to load, without a window) is gone: its path enters the recent
    // files, the last one resets the side panel, and the editing-mode buttons are released.
    void DocumentGone(const std::string& fullPath, bool hasWindow);
    void ResetPanel();
    void ReleaseModeButtons();
    void SyncPlotTypeMenu();
    // The calibration items: made after the other menu items, the grid's choice from the settings.
    void CreateCalibrationItems();
    // The Calibration menu shows the active document's method (Bilinear without a document).
    void SyncCalibrationMenu();
    // The active document's grid follows a change of its calibration.
    void RepaintGrid();
    void CalibrationClipboardChanged();
    // Writes the document as a project file; false, after saying why, when it could not.
    bool WriteProjectFile(PlotDocument& doc, const std::string& path);
    // Writes a document to a project file; once written, the document goes by that file's name.
    // False, changing nothing, when the file could not be written.
    bool SaveAsProject(TChildForm& child, const std::string& path);
    void ShowQuickStartAtStartup();
    void ChangeZoom(TChildForm* child, bool (PlotDocument::*step)(), std::optional<QPoint> globalPoint = {});
    // One editing mode: its flag in each document, its tool button, its Data menu item and the
    // prompt the status bar shows while it is on.
    struct EditingMode {
        bool PlotDocument::*flag;
        QAction* button;
        QAction* item;
        const char* prompt;
    };
    // Add Marker to DataSeries, Delete Marker From DataSeries, Delete DataSeries, Add Single
    // Marker, Delete Single Marker.
    std::array<EditingMode, 7> EditingModes() const;
    void ModeCommand(const EditingMode& mode, bool fromMenu);
    // The mode buttons, the Data menu and the prompt show a document's editing mode.
    void ShowEditingMode(const PlotDocument& doc);

    Dialogs& dialogs_;
    SettingsStore& settings_;
    TraceSettings tracing_;
    QPointer<TChildForm> active_;
    THelpForm* helpForm_ = nullptr;
    std::vector<QAction*> windowItems_;
    bool quickStartQueued_ = false;
    QStringList startupFiles_;             // named on the command line, opened at the first paint
    int pasted_ = 0;                       // pictures pasted or dropped as data in this run
    std::set<const TChildForm*> unfiled_;  // documents of picture data not saved yet
    std::unique_ptr<QPrinter> printer_;
    int exportFilter_ = 1;         // the export dialog's file type, from 1, as last confirmed
    int openFilter_ = 1;           // the open dialog's file type, from 1, as last confirmed
    int pdfDpi_ = kPdfDefaultDpi;  // the resolution PDF pages were last drawn at
};

}  // namespace curvana
