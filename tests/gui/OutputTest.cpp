#include <gtest/gtest.h>

#include <QClipboard>
#include <QComboBox>
#include <QFileDialog>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPrinter>
#include <QPushButton>
#include <QRegularExpression>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <cmath>

#include "MainFormFixture.h"
#include "app/PrinterSurface.h"
#include "app/QtDialogs.h"
#include "app/THelpForm.h"
#include "app/TListingMemo.h"
#include "app/TPrefForm.h"
#include "document/Zoom.h"
#include "output/ExportData.h"
#include "platform/RasterCanvas.h"

namespace curvana::test {
namespace {

// The data commands of the main window on a 200 by 100 picture whose box has corner 1 at (20, 90)
// and corner 4 at (180, 10), on scales 0 to 10 in both directions: a single marker at (60, 60)
// lists as 2.5 , 3.75.
class OutputTest : public MainFormFixture {
  protected:
    TChildForm* child = nullptr;

    PlotDocument& Doc() { return child->Document(); }
    void Open(const QString& name = "plot.bmp") {
        child = OpenDocument(MakeBmp(name, 200, 100));
        ASSERT_NE(child, nullptr);
        form->Edit2->setText("10");
        form->Edit4->setText("10");
    }
    // A series from (40, 20) to (160, 20) and the single marker: the listing "DataSeries 1",
    // "1.25 , 8.75", "8.75 , 8.75", " ", "Single Markers", "2.5 , 3.75".
    void Fill() {
        Doc().AddSeries({40, 20}, {160, 20});
        Doc().AddSingleMarker({60, 60});
        Doc().UpDateMemo(1);
    }
    // Runs Preferences with the fields set to these texts, closed with Ok or Cancel.
    void Preferences(const QString& digits, const QString& size, bool ok) {
        dialogs.modalActions.push_back([=](QDialog& d) {
            auto& pref = static_cast<TPrefForm&>(d);
            pref.Edit1->setText(digits);
            pref.Edit2->setText(size);
            (ok ? pref.Button1 : pref.Button2)->click();
        });
        form->Preferences1->trigger();
    }
};

TEST_F(OutputTest, PreferenceFieldsHoldAWholeNumberWithinTheirRange) {
    StartQuietly();
    TPrefForm& pref = *form->PrefForm;
    EXPECT_EQ(pref.windowTitle(), "Preferences");
    EXPECT_TRUE(pref.Button1->isDefault());
    struct Case {
        int tag;
        QString typed, shown;
        int position;
    };
    const std::vector<Case> cases = {
        {1, "25", "20", 20}, {0, "0", "1", 1},  {1, "1", "2", 2},          {0, "", "3", 3},
        {1, "", "4", 4},     {0, "7x", "3", 3}, {0, "7", "7", 7},          {1, "-5", "2", 2},
        {2, "0", "1", 1},    {2, "", "10", 10}, {2, "5000", "1000", 1000}, {3, "500", "441", 441},
        {3, "", "60", 60},   {4, "-1", "0", 0}, {4, "", "12", 12},         {4, "300", "200", 200},
    };
    QLineEdit* const edits[] = {pref.Edit1, pref.Edit2, pref.Edit3, pref.Edit4, pref.Edit5};
    TUpDown* const arrows[] = {pref.UpDown1, pref.UpDown2, pref.UpDown3, pref.UpDown4, pref.UpDown5};
    for (const Case& c : cases) {
        QLineEdit* edit = edits[c.tag];
        edit->setText(c.typed);
        EXPECT_EQ(edit->text(), c.shown) << c.tag << " " << c.typed.toStdString();
        EXPECT_EQ(arrows[c.tag]->Position(), c.position);
    }
    // A 1 typed over the marker size field turns into 2 at once.
    pref.Edit2->selectAll();
    QTest::keyClicks(pref.Edit2, "1");
    EXPECT_EQ(pref.Edit2->text(), "2");

    // The arrows step by one and stop at the limits.
    pref.Edit1->setText("10");
    pref.UpDown1->UpButton()->click();
    EXPECT_EQ(pref.Edit1->text(), "10");
    pref.UpDown1->DownButton()->click();
    EXPECT_EQ(pref.Edit1->text(), "9");
    pref.Edit2->setText("2");
    pref.UpDown2->DownButton()->click();
    pref.UpDown2->UpButton()->click();
    EXPECT_EQ(pref.Edit2->text(), "3");

    // Every text is whole in the platform's font, no label runs under a field, and everything
    // lies inside the dialog.
    pref.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&pref));
    EXPECT_EQ(pref.TracingHeading->text(), "Tracing");
    for (QLabel* label : {pref.Label1, pref.Label2, pref.Label3, pref.Label4, pref.Label5}) {
        EXPECT_LE(label->sizeHint().width(), label->width()) << label->text().toStdString();
        EXPECT_LT(label->geometry().right(), pref.Edit1->x()) << label->text().toStdString();
    }
    for (QPushButton* button : {pref.Button1, pref.Button2})
        EXPECT_LE(button->fontMetrics().horizontalAdvance(button->text().remove('&')) + 8, button->width());
    for (QWidget* part : pref.findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
        EXPECT_TRUE(pref.rect().contains(part->geometry())) << part->objectName().toStdString();
    pref.hide();

    pref.BitBtn1->click();
    ASSERT_NE(form->HelpWindow(), nullptr);
    EXPECT_EQ(form->HelpWindow()->CurrentTopic(), "507");
}

TEST_F(OutputTest, PreferencesApplyAndAreStoredOnlyOnOk) {
    StartQuietly("SigDigits=30\nMSize=4\nTraceStep=5000\nTraceGap=7\n");
    ASSERT_EQ(SigDigits, 30);
    EXPECT_EQ(form->Tracing().Step, 1000);  // the nearest value in range
    EXPECT_EQ(form->Tracing().Gap, 7);
    // Without a document Ok still stores the values; the stored 30 is shown as 10.
    dialogs.modalActions.push_back([](QDialog& d) {
        auto& pref = static_cast<TPrefForm&>(d);
        EXPECT_EQ(pref.Edit1->text(), "10");
        EXPECT_EQ(pref.Edit2->text(), "4");
        EXPECT_EQ(pref.Edit3->text(), "1000");
        EXPECT_EQ(pref.Edit4->text(), "60");  // the default
        EXPECT_EQ(pref.Edit5->text(), "7");
        pref.Edit2->setText("6");
        pref.Edit3->setText("25");
        pref.Edit5->setText("3");
        pref.Button1->click();
    });
    form->Preferences1->trigger();
    EXPECT_EQ(dialogs.Texts(Interaction::Modal), QStringList({"Preferences"}));
    EXPECT_EQ(SigDigits, 10);
    EXPECT_EQ(MSize, 6);
    EXPECT_EQ(StoredValue("SigDigits"), "10");
    EXPECT_EQ(StoredValue("MSize"), "6");
    EXPECT_EQ(form->Tracing().Step, 25);
    EXPECT_EQ(form->Tracing().Gap, 3);
    EXPECT_EQ(StoredValue("TraceStep"), "25");
    EXPECT_EQ(StoredValue("TraceTolerance"), "60");
    EXPECT_EQ(StoredValue("TraceGap"), "3");

    Open();
    Doc().AddSingleMarker({60, 60});
    Doc().UpDateMemo(1);
    Doc().Modified = false;
    ASSERT_EQ(form->Memo1->Lines(), QStringList({"Single Markers", "2.5 , 3.75"}));
    Preferences("2", "9", false);
    EXPECT_EQ(SigDigits, 10) << "Cancel changes nothing";
    EXPECT_EQ(MSize, 6);
    EXPECT_EQ(StoredValue("MSize"), "6");
    EXPECT_FALSE(Doc().Modified);

    Preferences("2", "9", true);
    EXPECT_EQ(SigDigits, 2);
    EXPECT_EQ(MSize, 9);
    EXPECT_EQ(form->Memo1->Lines(), QStringList({"Single Markers", "2.5 , 3.7"})) << "digits cut";
    EXPECT_TRUE(Doc().Modified);
    EXPECT_EQ(StoredValue("SigDigits"), "2");
    EXPECT_EQ(StoredValue("MSize"), "9");
}

TEST_F(OutputTest, PreferencesReportASettingsFileThatCannotBeWritten) {
    StartQuietly();
    ASSERT_TRUE(QFile::remove(SettingsPath()));
    ASSERT_TRUE(QDir().mkpath(SettingsPath()));  // a folder where the file should be
    Preferences("5", "7", true);
    EXPECT_EQ(dialogs.Texts(Interaction::StandardError), QStringList({"Failed to set data for 'SigDigits'"}));
    EXPECT_EQ(SigDigits, 5) << "the new values hold all the same";
    EXPECT_EQ(MSize, 7);
}

TEST_F(OutputTest, CopyPutsTheListingsSelectionOnTheClipboard) {
    StartQuietly();
    QClipboard* clipboard = QGuiApplication::clipboard();
    clipboard->setText("before");
    form->CopyDatatoClipBoard1->trigger();
    EXPECT_EQ(clipboard->text(), "before") << "no document";
    Open();
    Fill();
    const QString listing = "DataSeries 1\r\n1.25 , 8.75\r\n8.75 , 8.75\r\n \r\nSingle Markers\r\n2.5 , 3.75";

    struct Case {
        int from, to;  // the selection, in characters of the listing's text; -1: none
        QAction* command;
        QString expected;
    };
    // In the widget a line break is one character.
    const std::vector<Case> cases = {
        {-1, -1, form->CopyDatatoClipBoard1, "before"},
        {0, 64, form->CopyDatatoClipBoard1, listing},
        {16, 20, form->CopyToClipBoard1, "5 , "},
        {25, 38, nullptr, "8.75 , 8.75\r\n "},  // Ctrl+C in the listing
    };
    for (const Case& c : cases) {
        clipboard->setText("before");
        QTextCursor cursor = form->Memo1->textCursor();
        cursor.clearSelection();
        if (c.from >= 0) {
            cursor.setPosition(c.from);
            cursor.setPosition(c.to, QTextCursor::KeepAnchor);
        }
        form->Memo1->setTextCursor(cursor);
        if (c.command)
            c.command->trigger();
        else
            QTest::keyClick(form->Memo1, Qt::Key_C, Qt::ControlModifier);
        EXPECT_EQ(clipboard->text().toStdString(), c.expected.toStdString()) << c.from << ".." << c.to;
    }
}

TEST_F(OutputTest, ExportProposesANameAndKeepsTheLastConfirmedType) {
    StartQuietly();
    form->Export1->trigger();
    EXPECT_TRUE(dialogs.log.empty()) << "no document, no dialog";
    Open("graph.bmp");

    // Confirmed as comma-delimited; then a pick of the Excel type in a cancelled dialog; then again.
    dialogs.fileTypes = {2, 0, 2};
    dialogs.files = {Path("one.csv"), std::nullopt, std::nullopt};
    form->Export1->trigger();
    form->Export2->trigger();
    static_cast<QToolButton*>(form->ToolBar1->widgetForAction(form->Export1))->click();
    ASSERT_EQ(dialogs.Count(Interaction::Save), 3);
    const FileDialogRequest& first = dialogs.log[0].request;
    EXPECT_EQ(first.title, "Export Data");
    EXPECT_EQ(first.filters, QStringList({"Excel (*.xls)", "Text (*.txt)", "Comma Delimited Text (*.csv)",
                                          "Tab Delimited Text (*.txt)"}));
    EXPECT_FALSE(first.confirmOverwrite);
    EXPECT_TRUE(first.directory.isEmpty());
    EXPECT_EQ(dialogs.Texts(Interaction::Save), QStringList({"graph.xls", "graph.csv", "graph.csv"}));
    EXPECT_EQ(dialogs.log[1].request.filterIndex, 2);
    EXPECT_EQ(dialogs.log[2].request.filterIndex, 2) << "a cancelled dialog's choice is not kept";

    struct Case {
        int type;
        QString before, after;
    };
    const std::vector<Case> cases = {
        {2, "graph.xls", "graph.csv"}, {2, "graph.data", "graph.data.csv"}, {3, "graph.txt", "graph.txt"},
        {0, "graph", "graph.xls"},     {1, "a.b.csv", "a.b.txt"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(first.filterChanged(c.type, c.before), c.after) << c.before.toStdString();
}

// The real file dialog changes the extension in its name box by itself when the type changes; the
// name it ends up with must be the program's.
TEST(QtFileDialogTest, PickingAnotherTypeRenamesAsTheProgramSays) {
    QtDialogs real;
    FileDialogRequest request;
    request.filters = FileFilterList(kExportDialogFilter);
    request.fileName = "graph.data";
    request.filterChanged = [](int index, const QString& name) {
        return QString::fromStdString(ExportFileName(name.toStdString(), index + 1));
    };
    QString shown;
    QTimer::singleShot(50, [&] {
        auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        auto* types = dialog->findChild<QComboBox*>("fileTypeCombo");
        auto* name = dialog->findChild<QLineEdit*>("fileNameEdit");
        ASSERT_TRUE(types && name);
        name->setText("graph.data");
        types->setCurrentIndex(2);
        emit types->activated(2);
        emit types->textActivated(types->itemText(2));
        shown = name->text();
        dialog->reject();
    });
    EXPECT_FALSE(real.SaveFileName(nullptr, request));
    EXPECT_EQ(shown, "graph.data.csv");
}

TEST_F(OutputTest, ExportWritesTheListingAsShownOrReportsTheFailure) {
    StartQuietly();
    Open();
    Fill();
    struct Case {
        int type;
        QByteArray bytes;
    };
    const std::vector<Case> cases = {
        {2, "DataSeries 1\r\n1.25,8.75\r\n8.75,8.75\r\n\r\nSingle Markers\r\n2.5,3.75\r\n"},
        {3, "DataSeries 1\r\n1.25\t8.75\r\n8.75\t8.75\r\n\r\nSingle Markers\r\n2.5\t3.75\r\n"},
    };
    for (const Case& c : cases) {
        const QString path = Path(QString("out%1").arg(c.type));  // no extension is added
        dialogs.fileTypes.push_back(c.type);
        dialogs.files.push_back(path);
        form->Export1->trigger();
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        EXPECT_EQ(file.readAll(), c.bytes);
    }

    // A folder that does not exist, and a "folder" that is a file.
    for (const QString& path : {Path("missing/out.xls"), Path("out2/out.xls")}) {
        dialogs.log.clear();
        dialogs.files.push_back(path);
        form->Export1->trigger();
        const QStringList errors = dialogs.Texts(Interaction::StandardError);
        ASSERT_EQ(errors.size(), 1) << path.toStdString();
        EXPECT_TRUE(errors[0].contains(path)) << errors[0].toStdString();
        EXPECT_TRUE(errors[0].contains(QRegularExpression("No such file|Not a directory")))
            << errors[0].toStdString();
        EXPECT_FALSE(QFileInfo::exists(path));
    }
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList({"out2", "out3", "plot.bmp"}))
        << "no partial files";
}

// The number of pages in a PDF file: its page objects, not the page tree.
int PdfPages(const QByteArray& pdf) {
    return int(pdf.count("/Type /Page") - pdf.count("/Type /Pages"));
}

TEST_F(OutputTest, PrintingGivesThePicturePageAndTheListingPage) {
    StartQuietly();
    form->Print1->trigger();
    EXPECT_EQ(dialogs.Count(Interaction::Print), 0) << "no document, no dialog";
    form->PrintSetup1->trigger();
    EXPECT_EQ(dialogs.Count(Interaction::PageSetup), 1);
    Open();
    Fill();

    struct Case {
        QString file;  // empty: the dialog is cancelled
        int pages;     // -1: no file
        bool error;
    };
    const std::vector<Case> cases = {
        {"", -1, false},
        {Path("print.pdf"), 2, false},
        {Path("missing/print.pdf"), -1, true},
    };
    for (const Case& c : cases) {
        dialogs.log.clear();
        dialogs.printDialogs.push_back([&](QPrinter& printer) {
            EXPECT_EQ(printer.resolution(), QPrinter(QPrinter::HighResolution).resolution());
            printer.setOutputFormat(QPrinter::PdfFormat);
            printer.setOutputFileName(c.file);
            return !c.file.isEmpty();
        });
        static_cast<QToolButton*>(form->ToolBar1->widgetForAction(form->Print1))->click();
        EXPECT_EQ(MSize, 4) << "the marker size on screen is unchanged";
        EXPECT_EQ(dialogs.Count(Interaction::StandardError), c.error ? 1 : 0) << c.file.toStdString();
        QFile pdf(c.file);
        if (c.pages < 0) {
            EXPECT_FALSE(!c.file.isEmpty() && pdf.exists());
            continue;
        }
        ASSERT_TRUE(pdf.open(QIODevice::ReadOnly));
        const QByteArray bytes = pdf.readAll();
        EXPECT_TRUE(bytes.startsWith("%PDF"));
        EXPECT_EQ(PdfPages(bytes), c.pages);
    }
}

// A printer's canvas draws a zoomed view as a window's raster does: only the part inside its area
// and clip, with the view's pixels.
TEST(PainterCanvasTest, DrawsTheVisiblePartOfAZoomedView) {
    Bitmap picture(7, 5, PixelFormat::Rgb24());
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 7; ++x)
            picture.SetPixelValue(x, y, std::uint32_t(x * 36) << 16 | std::uint32_t(y * 50) << 8 | 0x40);
    const ZoomedView view(picture, std::pow(1.4, 5), 38, 27);
    for (const TRect clip : {TRect{-100, -100, 100, 100}, TRect{6, 3, 19, 14}}) {
        Bitmap expected(30, 20, PixelFormat::Raster32());
        RasterCanvas raster(expected);
        raster.SetBrushColor(clSilver);
        raster.FillRect({0, 0, 30, 20});
        raster.SetClip(clip);
        raster.DrawSource(-9, 4, view);
        QImage page(30, 20, QImage::Format_RGB32);
        page.fill(QColor(192, 192, 192));
        {
            QPainter painter(&page);
            PainterCanvas canvas(painter, page.rect());
            canvas.SetClip(clip);
            canvas.DrawSource(-9, 4, view);
        }
        for (int y = 0; y < 20; ++y)
            for (int x = 0; x < 30; ++x) {
                const TColor want = expected.PixelColor(x, y);
                ASSERT_EQ(page.pixelColor(x, y), QColor(GetRValue(want), GetGValue(want), GetBValue(want)))
                    << x << "," << y << " in " << clip.Left << "," << clip.Top;
            }
    }
}

}  // namespace
}  // namespace curvana::test
