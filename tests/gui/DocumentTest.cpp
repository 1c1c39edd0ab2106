#include <gtest/gtest.h>

#include <QClipboard>
#include <QDropEvent>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QMdiArea>
#include <QMenu>
#include <QMimeData>
#include <QStandardPaths>
#include <QToolBar>

#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QSpinBox>
#include <QTimer>
#include <QWheelEvent>
#include <cmath>

#include "MainFormFixture.h"
#include "app/QtDialogs.h"
#include "app/THelpForm.h"
#include "app/TListingMemo.h"
#include "app/TPageForm.h"
#include "document/OpenDocument.h"
#include "document/ProjectFile.h"
#include "document/TPictureView.h"

namespace curvana::test {
namespace {

using DocumentTest = MainFormFixture;

// Replaces the text of an edit by typing, as a user would after selecting all of it.
void Type(QLineEdit* edit, const QString& text) {
    edit->setFocus();
    QTest::keyClick(edit, Qt::Key_A, Qt::ControlModifier);
    if (text.isEmpty())
        QTest::keyClick(edit, Qt::Key_Delete);
    else
        QTest::keyClicks(edit, text);
}

QStringList RecentCaptions(const TMainForm& form) {
    QStringList shown;
    for (QAction* item : form.MFileItems)
        if (item->isVisible()) shown << item->text();
    return shown;
}

TEST_F(DocumentTest, OpeningDecidesByTheTypeKey) {
    TMainForm& form = StartQuietly();
    const QString bmp = MakeBmp("plot.bmp", 40, 30);
    const QString jpeg = CopyData("jpeg/peacock.s1x1-444.jpeg", "PLOT.JPEG");
    {
        auto doc = OpenPictureDocument(bmp.toStdString());
        SaveToFile(*doc, Path("Graph.CVN").toStdString());
    }
    QFile bad(Path("broken.bmp"));
    ASSERT_TRUE(bad.open(QIODevice::WriteOnly));
    bad.write("BM not a picture");
    bad.close();
    QFile::copy(Path("broken.bmp"), Path("broken.gif"));
    QFile::copy(Path("broken.bmp"), Path("damaged.cvn"));
    QFile::copy(Path("broken.bmp"), Path("notes.txt"));
    for (const char* name : {"broken.png", "broken.TIFF", "broken.webp", "broken.pdf"})
        QFile::copy(Path("broken.bmp"), Path(name));

    struct Case {
        QString path;
        QString caption;  // of the new window, or empty when none opens
        QString error;
        QString details = {};  // part of the error box's details; "*": any, but some
    };
    const std::vector<Case> cases = {
        {bmp, "plot.bmp", ""},
        {jpeg, "PLOT.JPEG", ""},
        {Path("Graph.CVN"), "Graph.CVN", ""},
        {Path("notes.txt"), "", ""},
        {Path("broken.png"), "", "Invalid PNG Format.", "*"},
        {Path("broken.TIFF"), "", "Invalid TIFF Format.", "*"},
        {Path("broken.webp"), "", "Invalid WebP Format.", "*"},
        {Path("broken.pdf"), "", "Invalid PDF Format.", "*"},
        {Path("broken.bmp"), "", "Invalid Bitmap Format.", "*"},
        {Path("broken.gif"), "", "Invalid Gif Format.", "Invalid GIF signature"},
        {Path("missing.jpg"), "", "Invalid JPEG Format.", "No such file or directory"},
        {Path("damaged.cvn"), "", "File damaged.cvn is corrupted."},
    };
    const QStringList openFilters = {
        "Curvana Files (*.cvn)",
        "Bitmap Files (*.bmp)",
        "JPEG Files (*.jpg *.jpeg)",
        "Gif Files (*.gif)",
        "PNG Files (*.png)",
        "TIFF Files (*.tif *.tiff)",
        "WebP Files (*.webp)",
        "PDF Files (*.pdf)",
        "All Pictures (*.bmp *.jpg *.jpeg *.gif *.png *.tif *.tiff *.webp *.pdf)",
        "All Files (*)"};
    for (const Case& c : cases) {
        dialogs.log.clear();
        TChildForm* child = OpenThroughDialog(c.path);
        if (c.caption.isEmpty()) {
            EXPECT_TRUE(form.MDIChildren().empty()) << c.path.toStdString();
        } else {
            ASSERT_NE(child, nullptr) << c.path.toStdString();
            EXPECT_EQ(child->windowTitle(), c.caption);
            EXPECT_EQ(child->FullPath(), c.path);
            EXPECT_FALSE(child->Document().Modified);
            EXPECT_TRUE(form.Window1->menuAction()->isVisible());
            EXPECT_EQ(dialogs.log.size(), 1u) << "only the open dialog";
            EXPECT_EQ(dialogs.log[0].request.filters, openFilters);
            EXPECT_EQ(dialogs.log[0].request.filterIndex, 0);
            child->close();
            QCoreApplication::processEvents();
        }
        EXPECT_EQ(dialogs.Texts(Interaction::Error), c.error.isEmpty() ? QStringList() : QStringList{c.error})
            << c.path.toStdString();
        // The decoder's reason is in the box's details; a project has none.
        for (const Interaction& i : dialogs.log) {
            if (i.kind != Interaction::Error) continue;
            if (c.details == "*")
                EXPECT_FALSE(i.details.isEmpty()) << c.path.toStdString();
            else if (c.details.isEmpty())
                EXPECT_TRUE(i.details.isEmpty()) << c.path.toStdString();
            else
                EXPECT_TRUE(i.details.contains(c.details)) << i.details.toStdString();
        }
        EXPECT_FALSE(form.Window1->menuAction()->isVisible());
    }
    // Failed documents went into the recent files like closed ones; notes.txt did not.
    EXPECT_EQ(RecentCaptions(form),
              QStringList({"&1. damaged.cvn", "&2. missing.jpg", "&3. broken.gif", "&4. broken.bmp"}));
}

// The real error box shows the fixed message, and the reason only behind its details.
TEST(QtErrorBoxTest, ShowsTheReasonInItsDetails) {
    QtDialogs real;
    for (const QString& details : {QString("the picture is too large"), QString()}) {
        QString title, text, shownDetails = "none";
        QTimer::singleShot(50, [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            ASSERT_NE(box, nullptr);
            title = box->windowTitle();
            text = box->text();
            shownDetails = box->detailedText();
            box->accept();
        });
        real.ErrorBox(nullptr, "Invalid PNG Format.", details);
        EXPECT_EQ(title, "Error");
        EXPECT_EQ(text, "Invalid PNG Format.");
        EXPECT_EQ(shownDetails, details);
    }
}

TEST_F(DocumentTest, OpenDialogPreselectsTheFileTypeConfirmedLast) {
    StartQuietly();
    const QString bmp = MakeBmp("plot.bmp", 20, 20);
    struct Step {
        int pick;        // the file type the user picks
        bool confirmed;  // or the dialog is cancelled
        int shown;       // the type the dialog starts with
    };
    const std::vector<Step> steps = {{4, true, 0}, {8, false, 4}, {1, true, 4}, {1, true, 1}};
    for (const Step& step : steps) {
        dialogs.log.clear();
        dialogs.fileTypes.push_back(step.pick);
        dialogs.files.push_back(step.confirmed ? std::optional<QString>(bmp) : std::nullopt);
        QTest::keyClick(form.get(), Qt::Key_O, Qt::ControlModifier);
        ASSERT_EQ(dialogs.Count(Interaction::Open), 1);
        EXPECT_EQ(dialogs.log[0].request.filterIndex, step.shown) << step.pick;
    }
    // The choice outlives the program; a stored type the dialog does not have gives the first.
    for (const QByteArray& stored :
         {QByteArray(), QByteArray("OpenFilter=11\n"), QByteArray("OpenFilter=x\n")}) {
        for (TChildForm* child : form->MDIChildren())
            child->Document().Modified = false;
        ASSERT_TRUE(form->close());
        if (stored.isEmpty())
            EXPECT_EQ(StoredValue("OpenFilter"), "2");
        else
            StoreSettings("QuickStart=1\n" + stored);
        Start();
        dialogs.log.clear();
        dialogs.files.push_back(std::nullopt);
        QTest::keyClick(form.get(), Qt::Key_O, Qt::ControlModifier);
        ASSERT_EQ(dialogs.Count(Interaction::Open), 1);
        EXPECT_EQ(dialogs.log[0].request.filterIndex, stored.isEmpty() ? 1 : 0) << stored.constData();
    }
}

// Pictures with pages ask which one before they open: a TIFF the page, a PDF also the resolution.
// (These need the TIFF and PDF readers.)
TEST_F(DocumentTest, PicturesWithPagesAskWhichPageToOpen) {
    TMainForm& form = StartQuietly();
    const QString tiff = CopyData("opening/two-pages.tif", "scan.tif");
    const QString pdf = CopyData("opening/two-pages.pdf", "paper.pdf");
    const QString single = CopyData("opening/page2.tif", "single.tif");
    struct Case {
        QString path;
        QString page;  // typed into the page field; empty: left as it is
        QString dpi;   // typed into the resolution field; "-": there is none
        bool ok;       // OK, or Cancel
        int askedDpi;  // the resolution the dialog starts with
        int width, height;
    };
    const std::vector<Case> cases = {
        {tiff, "2", "-", true, 0, 5, 2},  {tiff, "", "-", true, 0, 4, 3},
        {tiff, "2", "-", false, 0, 0, 0}, {pdf, "2", "72", true, 150, 144, 72},
        {pdf, "", "", true, 72, 72, 36},  {pdf, "1", "300", false, 72, 0, 0},
    };
    for (const Case& c : cases) {
        dialogs.log.clear();
        int askedDpi = 0;
        QString range;
        dialogs.modalActions.push_back([&](QDialog& d) {
            auto& page = dynamic_cast<TPageForm&>(d);
            range = page.Label1->text();
            askedDpi = page.SpinEdit2 ? page.SpinEdit2->value() : 0;
            auto type = [](QSpinBox* box, const QString& text) {
                box->setFocus();
                QTest::keyClick(box, Qt::Key_A, Qt::ControlModifier);
                QTest::keyClicks(box, text);
            };
            QTest::mouseClick(page.BitBtn1, Qt::LeftButton);  // Help, which leaves the dialog open
            if (!c.page.isEmpty()) type(page.SpinEdit1, c.page);
            if (c.dpi != "-" && !c.dpi.isEmpty()) type(page.SpinEdit2, c.dpi);
            QTest::mouseClick(c.ok ? page.Button1 : page.Button2, Qt::LeftButton);
        });
        const std::vector<std::string> recent = {form.MFiles.Entry(1), form.MFiles.Entry(2)};
        TChildForm* child = OpenDocument(c.path);
        EXPECT_EQ(dialogs.Texts(Interaction::Modal), QStringList{"Open Page"}) << c.path.toStdString();
        EXPECT_EQ(range, "&Page (1 to 2):");
        EXPECT_EQ(askedDpi, c.askedDpi) << "the resolution chosen last";
        EXPECT_EQ(dialogs.Count(Interaction::Error), 0);
        ASSERT_NE(form.HelpWindow(), nullptr);
        EXPECT_EQ(form.HelpWindow()->CurrentTopic(), "540");
        if (!c.ok) {
            EXPECT_EQ(child, nullptr) << "Cancel opens nothing";
            EXPECT_EQ((std::vector<std::string>{form.MFiles.Entry(1), form.MFiles.Entry(2)}), recent)
                << "and enters nothing in the recent files";
            continue;
        }
        ASSERT_NE(child, nullptr) << c.path.toStdString();
        EXPECT_EQ(child->Document().Picture.Width(), c.width) << c.path.toStdString() << c.page.toStdString();
        EXPECT_EQ(child->Document().Picture.Height(), c.height);
        EXPECT_FALSE(child->Document().Modified);
        child->close();
        QCoreApplication::processEvents();
    }
    // A TIFF of one page opens at once.
    dialogs.log.clear();
    ASSERT_NE(OpenDocument(single), nullptr);
    EXPECT_EQ(dialogs.Count(Interaction::Modal), 0);
    EXPECT_TRUE(form.close());
    EXPECT_EQ(StoredValue("PdfDpi"), "72");
}

TEST_F(DocumentTest, SaveProposesAProjectNameBesideTheDocument) {
    TMainForm& form = StartQuietly();
    {
        auto doc = OpenPictureDocument(MakeBmp("graph.bmp", 20, 20).toStdString());
        SaveToFile(*doc, Path("Graph.CVN").toStdString());
        SaveToFile(*doc, Path("direct.cvn").toStdString());
    }
    CopyData("jpeg/peacock.s1x1-444.jpeg", "scan.jpeg");
    CopyData("jpeg/peacock.s1x1-444.jpeg", "scan.jpg");
    MakeBmp("plot.bmp", 20, 20);
    struct Case {
        QString open;
        QString proposed;  // empty: saved without asking
        QString typed;
        QString written;
    };
    const std::vector<Case> cases = {
        {"Graph.CVN", "Graph.cvn", "Graph.cvn", "Graph.cvn"},
        {"scan.jpeg", "scan.jpeg.cvn", "scan.jpeg.cvn", "scan.jpeg.cvn"},
        {"scan.jpg", "scan.cvn", "scan.cvn", "scan.cvn"},
        {"plot.bmp", "plot.cvn", "result.txt", "result.txt.cvn"},
        {"plot.bmp", "plot.cvn", "upper.CVN", "upper.CVN.cvn"},
        {"direct.cvn", "", "", "direct.cvn"},
    };
    for (const Case& c : cases) {
        TChildForm* child = OpenDocument(Path(c.open));
        ASSERT_NE(child, nullptr) << c.open.toStdString();
        child->Document().Modified = true;
        QFile::remove(Path(c.written));
        dialogs.log.clear();
        if (!c.proposed.isEmpty()) dialogs.files.push_back(Path(c.typed));
        QTest::keyClick(&form, Qt::Key_S, Qt::ControlModifier);
        if (c.proposed.isEmpty()) {
            EXPECT_EQ(dialogs.Count(Interaction::Save), 0) << c.open.toStdString();
        } else {
            ASSERT_EQ(dialogs.Count(Interaction::Save), 1) << c.open.toStdString();
            EXPECT_EQ(dialogs.log[0].request.fileName, Path(c.proposed));
            EXPECT_EQ(dialogs.log[0].request.filters, QStringList({"Curvana Files (*.cvn)"}));
        }
        EXPECT_TRUE(QFileInfo::exists(Path(c.written))) << c.written.toStdString();
        EXPECT_FALSE(child->Document().Modified);
        EXPECT_EQ(child->windowTitle(), c.written) << "the document goes by the file written";
        QTest::keyClick(&form, Qt::Key_S, Qt::ControlModifier);  // the next Save asks no more
        EXPECT_EQ(dialogs.Count(Interaction::Save), c.proposed.isEmpty() ? 0 : 1);
        child->close();
        QCoreApplication::processEvents();
        EXPECT_EQ(form.MFiles.Entry(1), Path(c.written).toStdString()) << "the recent file is the project";
    }
    EXPECT_TRUE(dialogs.answers.empty() && dialogs.files.empty());
}

TEST_F(DocumentTest, AfterSaveAsSaveWritesTheNewFile) {
    TMainForm& form = StartQuietly();
    SaveToFile(*OpenPictureDocument(MakeBmp("chart.bmp", 40, 30).toStdString()),
               Path("chart.cvn").toStdString());
    auto bytes = [&](const QString& name) {
        QFile file(Path(name));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    };
    const QByteArray chart = bytes("chart.cvn");
    TChildForm* child = OpenDocument(Path("chart.cvn"));
    ASSERT_NE(child, nullptr);
    dialogs.files.push_back(Path("copy"));
    form.SaveAs1->trigger();
    EXPECT_EQ(child->windowTitle(), "copy.cvn");
    emit form.Window1->aboutToShow();
    EXPECT_EQ(form.Window1->actions().last()->text(), "&1 copy.cvn");
    // Go on editing: Ctrl+S writes copy.cvn without asking and leaves chart.cvn as it was.
    child->Document().AddSingleMarker({5, 5});
    child->Document().UpDateMemo(1);
    QTest::keyClick(&form, Qt::Key_S, Qt::ControlModifier);
    EXPECT_EQ(dialogs.Count(Interaction::Save), 1);
    EXPECT_EQ(LoadProjectFile(Path("copy.cvn").toStdString())->SingleMarkers.size(), 1u);
    EXPECT_EQ(bytes("chart.cvn"), chart);
    child->Document().Modified = true;
    dialogs.answers.push_back(Answer::No);
    EXPECT_TRUE(child->close());
    EXPECT_EQ(dialogs.Texts(Interaction::Question), QStringList({"Save changes to copy.cvn?"}));
    EXPECT_EQ(form.MFiles.Entry(1), Path("copy.cvn").toStdString());
}

TEST_F(DocumentTest, SaveFailuresAndCancelledSavesKeepTheDocumentModified) {
    TMainForm& form = StartQuietly();
    TChildForm* child = OpenDocument(MakeBmp("plot.bmp", 20, 20));
    ASSERT_NE(child, nullptr);
    child->Document().Modified = true;

    // Save As into a folder that does not exist.
    const QString nowhere = Path("no/such/folder/out");
    dialogs.files.push_back(nowhere);
    form.SaveAs1->trigger();
    EXPECT_EQ(dialogs.log.back().request.fileName, "");
    EXPECT_EQ(dialogs.Texts(Interaction::StandardError),
              QStringList({"Cannot create file " + nowhere + ".cvn\nNo such file or directory"}));
    EXPECT_TRUE(child->Document().Modified);

    // A read-only project is refused, also to root, and stays as it was.
    const QString readOnly = Path("kept.cvn");
    QFile kept(readOnly);
    ASSERT_TRUE(kept.open(QIODevice::WriteOnly));
    kept.write("old");
    kept.close();
    kept.setPermissions(QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther);
    dialogs.log.clear();
    dialogs.files.push_back(readOnly);
    form.SaveAs1->trigger();
    EXPECT_EQ(dialogs.Texts(Interaction::StandardError),
              QStringList({"Cannot create file " + readOnly + "\nPermission denied"}));
    ASSERT_TRUE(kept.open(QIODevice::ReadOnly));
    EXPECT_EQ(kept.readAll(), "old");
    kept.close();
    EXPECT_TRUE(child->Document().Modified);
    EXPECT_EQ(child->FullPath(), Path("plot.bmp")) << "a failed save keeps the document's name";

    // Closing: Yes, then the save dialog cancelled: the window stays open and modified.
    dialogs.answers.push_back(Answer::Yes);
    dialogs.files.push_back(std::nullopt);
    EXPECT_FALSE(child->close());
    EXPECT_EQ(form.MDIChildren().size(), 1u);
    EXPECT_TRUE(child->Document().Modified);

    // Yes, and the save fails: still open.
    dialogs.answers.push_back(Answer::Yes);
    dialogs.files.push_back(nowhere);
    EXPECT_FALSE(child->close());
    EXPECT_EQ(form.MDIChildren().size(), 1u);

    // Cancel keeps it; No discards the changes and closes.
    dialogs.answers.push_back(Answer::Cancel);
    EXPECT_FALSE(child->close());
    dialogs.answers.push_back(Answer::No);
    EXPECT_TRUE(child->close());
    EXPECT_TRUE(form.MDIChildren().empty());
    EXPECT_EQ(dialogs.Texts(Interaction::Question), QStringList(4, "Save changes to plot.bmp?"));
    EXPECT_TRUE(dialogs.answers.empty() && dialogs.files.empty());
}

TEST_F(DocumentTest, ExitAsksEveryDocumentAndARefusalKeepsTheProgramRunning) {
    TMainForm& form = StartQuietly();
    TChildForm* a = OpenDocument(MakeBmp("a.bmp"));
    TChildForm* b = OpenDocument(MakeBmp("b.bmp"));
    ASSERT_TRUE(a && b);
    Type(form.Edit1, "5");
    form.MDIClient->setActiveSubWindow(a);
    Type(form.Edit1, "6");
    ASSERT_TRUE(a->Document().Modified && b->Document().Modified);

    // a is on top now, so b is asked first; Cancel there still asks about a.
    dialogs.answers = {Answer::Cancel, Answer::No};
    form.Exit1->trigger();
    QCoreApplication::processEvents();
    EXPECT_EQ(dialogs.Texts(Interaction::Question),
              QStringList({"Save changes to b.bmp?", "Save changes to a.bmp?"}));
    EXPECT_TRUE(form.isVisible());
    ASSERT_EQ(form.MDIChildren().size(), 1u);
    EXPECT_EQ(form.MDIChildren()[0], b);
    EXPECT_EQ(StoredValue("state"), "") << "nothing is written while the program keeps running";

    dialogs.answers = {Answer::No};
    form.Exit1->trigger();
    QCoreApplication::processEvents();
    EXPECT_FALSE(form.isVisible());
    EXPECT_EQ(StoredValue("file1"), Path("b.bmp"));
    EXPECT_EQ(StoredValue("file2"), Path("a.bmp"));
    EXPECT_EQ(StoredValue("state"), "0");
}

TEST_F(DocumentTest, ClosingTheLastDocumentResetsTheSidePanel) {
    TMainForm& form = StartQuietly();
    TChildForm* a = OpenDocument(MakeBmp("a.bmp"));
    a->Document().AddSingleMarker({100, 100});
    Type(form.Edit2, "10");
    TChildForm* b = OpenDocument(MakeBmp("b.bmp"));
    ASSERT_TRUE(a && b);
    EXPECT_TRUE(form.Memo1->Lines().isEmpty()) << "a new picture lists nothing";
    EXPECT_EQ(form.Edit2->text(), "0");

    // Closing one of two: the other document fills the panel; the mode button is released.
    form.ToolButton13->setChecked(true);
    QTest::keyClick(&form, Qt::Key_W, Qt::ControlModifier);
    QCoreApplication::processEvents();
    ASSERT_EQ(form.MDIChildren().size(), 1u);
    EXPECT_FALSE(form.ToolButton13->isChecked());
    EXPECT_EQ(form.Edit2->text(), "10");
    EXPECT_EQ(form.Memo1->Lines(), QStringList({"Single Markers", "5 , 0"}));
    EXPECT_TRUE(form.Window1->menuAction()->isVisible());

    // Activation marked a as modified; closing the last one resets the panel.
    form.ToolButton8->setChecked(true);
    dialogs.answers.push_back(Answer::No);
    QTest::keyClick(&form, Qt::Key_W, Qt::ControlModifier);
    QCoreApplication::processEvents();
    EXPECT_TRUE(form.MDIChildren().empty());
    EXPECT_EQ(dialogs.Texts(Interaction::Question), QStringList({"Save changes to a.bmp?"}));
    for (QLineEdit* edit : {form.Edit1, form.Edit2, form.Edit3, form.Edit4})
        EXPECT_EQ(edit->text(), "0");
    EXPECT_EQ(form.Memo1->Count(), 0);
    EXPECT_TRUE(form.Memo1->toPlainText().isEmpty());
    EXPECT_FALSE(form.Window1->menuAction()->isVisible());
    EXPECT_FALSE(form.ToolButton8->isChecked());

    // File > Close with nothing open does nothing.
    dialogs.log.clear();
    QTest::keyClick(&form, Qt::Key_W, Qt::ControlModifier);
    EXPECT_TRUE(dialogs.log.empty());
}

TEST_F(DocumentTest, ScaleEditsWorkOnTheActiveDocument) {
    TMainForm& form = StartQuietly();
    // Without a document, whatever is typed turns back into "0".
    Type(form.Edit2, "12");
    EXPECT_EQ(form.Edit2->text(), "0");
    Type(form.Edit3, "-");
    EXPECT_EQ(form.Edit3->text(), "0");

    // A 200 by 200 picture has its box corners at 20 and 180; a marker in the middle lies halfway.
    TChildForm* a = OpenDocument(MakeBmp("a.bmp"));
    ASSERT_NE(a, nullptr);
    PlotDocument& doc = a->Document();
    doc.AddSingleMarker({100, 100});
    struct Case {
        QLineEdit* edit;
        QString typed;
        QStringList listing;
    };
    const std::vector<Case> cases = {
        {form.Edit2, "10", {"Single Markers", "5 , 0"}},
        {form.Edit4, "3", {"Single Markers", "5 , 1.5"}},
        {form.Edit3, "1", {"Single Markers", "5 , 2"}},
        {form.Edit2, "abc", {"Single Markers", "0 , 2"}},  // not a number: 0, the text stays
        {form.Edit2, "-", {"Single Markers", "0 , 2"}},
        {form.Edit2, "-4", {"Single Markers", "-2 , 2"}},
        {form.Edit1, "2e1", {"Single Markers", "8 , 2"}},
    };
    for (const Case& c : cases) {
        Type(c.edit, c.typed);
        EXPECT_EQ(c.edit->text(), c.typed);
        EXPECT_EQ(form.Memo1->Lines(), c.listing) << c.typed.toStdString();
    }
    EXPECT_EQ(doc.XMin, 20);
    EXPECT_EQ(doc.XMax, -4);
    EXPECT_EQ(doc.YMin, 1);
    EXPECT_EQ(doc.YMax, 3);

    // The plot type changes the values, not the markers: X logarithmic from 1 to 100 gives 10.
    Type(form.Edit1, "1");
    Type(form.Edit2, "100");
    form.LinearLog1->trigger();
    EXPECT_TRUE(form.LinearLog1->isChecked());
    EXPECT_FALSE(form.LinearLinear1->isChecked());
    EXPECT_EQ(ChosenPlotType, PlotType::LinearLog);
    EXPECT_EQ(form.Memo1->Lines(), QStringList({"Single Markers", "10 , 2"}));
    EXPECT_EQ(doc.SingleMarkers[0]->Position(), (TPoint{100, 100}));
    form.LogLog1->trigger();  // Y logarithmic from 1 to 3: the geometric mean
    EXPECT_EQ(form.Memo1->Lines(), QStringList({"Single Markers", "10 , 1.73"}));
}

TEST_F(DocumentTest, ActivationSwapsTheSidePanelBetweenDocuments) {
    TMainForm& form = StartQuietly();
    TChildForm* a = OpenDocument(MakeBmp("a.bmp"));
    EXPECT_FALSE(a->Document().IgnoreClick) << "a single document takes its first click";
    Type(form.Edit2, "2.5");
    Type(form.Edit4, "x");
    TChildForm* b = OpenDocument(MakeBmp("b.bmp"));
    ASSERT_TRUE(a && b);
    // Leaving a read the edits back into it; b shows its own zeros.
    EXPECT_EQ(a->Document().XMax, 2.5);
    EXPECT_EQ(a->Document().YMax, 0);
    EXPECT_EQ(form.Edit2->text(), "0");
    Type(form.Edit1, "0.1");

    // Through the Window menu: its items list the documents with the active one checked.
    emit form.Window1->aboutToShow();
    QStringList items;
    QAction* first = nullptr;
    for (QAction* action : form.Window1->actions()) {
        if (action->isSeparator() || !action->isCheckable()) continue;
        items << action->text() + (action->isChecked() ? " *" : "");
        if (!first) first = action;
    }
    EXPECT_EQ(items, QStringList({"&1 a.bmp", "&2 b.bmp *"}));
    first->trigger();
    EXPECT_EQ(form.ActiveChild(), a);
    EXPECT_EQ(form.Edit1->text(), "0");
    EXPECT_EQ(form.Edit2->text(), "2.5");
    EXPECT_EQ(form.Edit4->text(), "0");
    EXPECT_EQ(b->Document().XMin, 0.1);

    // Only a press into the picture of an inactive window is swallowed: after the Window menu, a
    // title bar or opening a file the first click acts. In Add Single Marker mode every click that
    // acts adds a marker.
    a->Document().AddSingleMode = b->Document().AddSingleMode = true;
    auto click = [](QWidget* w, int x, int y) { QTest::mouseClick(w, Qt::LeftButton, {}, QPoint(x, y)); };
    const std::vector<std::pair<std::function<void()>, TChildForm*>> steps = {
        {[] {}, a},                                 // activated by the Window menu above
        {[&] { click(b->View(), 60, 120); }, b},    // swallowed
        {[&] { click(a->View(), 70, 120); }, a},    // swallowed
        {[&] { click(b, b->width() / 2, 8); }, b},  // its title bar
    };
    int x = 20;
    for (const auto& [activate, active] : steps) {
        const std::size_t before = active->Document().SingleMarkers.size();
        activate();
        QCoreApplication::processEvents();
        EXPECT_EQ(form.ActiveChild(), active) << x;
        click(active->View(), x += 30, 50);
        EXPECT_EQ(active->Document().SingleMarkers.size(), before + 1) << x;
    }
    EXPECT_EQ(form.Edit1->text(), "0.1");
    TChildForm* c = OpenDocument(MakeBmp("c.bmp"));
    c->Document().AddSingleMode = true;
    click(c->View(), 50, 50);
    EXPECT_EQ(c->Document().SingleMarkers.size(), 1u) << "the first click after opening acts";
}

TEST_F(DocumentTest, ZoomCommandsResizeTheDocument) {
    TMainForm& form = StartQuietly();
    auto click = [&](QAction* command) {
        QTest::mouseClick(form.ToolBar1->widgetForAction(command), Qt::LeftButton);
    };
    // Nothing happens without a document.
    click(form.ZoomIn1);
    click(form.Redraw1);

    TChildForm* child = OpenDocument(MakeBmp("wide.bmp", 200, 100));
    ASSERT_NE(child, nullptr);
    struct Step {
        QAction* command;
        int level;
        QSize client;
    };
    const std::vector<Step> steps = {
        {nullptr, 0, {221, 121}}, {form.ZoomIn1, 1, {301, 161}},  {form.ZoomIn1, 2, {413, 217}},
        {form.N3, 0, {221, 121}}, {form.ZoomOut1, -1, {164, 92}}, {form.Redraw1, -1, {164, 92}},
        {form.N3, 0, {221, 121}},
    };
    for (const Step& s : steps) {
        child->Document().Modified = false;
        if (s.command) click(s.command);
        EXPECT_EQ(child->Document().ZoomLevel, s.level);
        EXPECT_EQ(child->View()->size(), s.client) << "level " << s.level;
        if (s.command && s.command != form.Redraw1) {
            EXPECT_TRUE(child->Document().Modified);
        }
    }

    // A 1 by 1 picture cannot be shown below level -2: the refused step leaves it as it was.
    TChildForm* tiny = OpenDocument(MakeBmp("tiny.bmp", 1, 1));
    ASSERT_NE(tiny, nullptr);
    for (int i = 0; i < 3; ++i)
        click(form.ZoomOut1);
    EXPECT_EQ(tiny->Document().ZoomLevel, -2);
    EXPECT_EQ(tiny->View()->size(), QSize(22, 22));
    EXPECT_GE(tiny->width(), tiny->minimumSizeHint().width()) << "room for the title bar";
}

TEST_F(DocumentTest, ZoomingKeepsThePointLookedAtInPlace) {
    TMainForm& form = StartQuietly();
    form.resize(900, 700);
    TChildForm* back = OpenDocument(MakeBmp("back.bmp", 300, 200));
    TChildForm* child = OpenDocument(MakeBmp("big.bmp", 1600, 1200));
    ASSERT_NE(child, nullptr);
    auto* scroll = child->findChild<QScrollArea*>();
    ASSERT_NE(scroll, nullptr);
    QWidget* port = scroll->viewport();
    ASSERT_GT(scroll->horizontalScrollBar()->maximum(), 400);
    scroll->horizontalScrollBar()->setValue(300);
    scroll->verticalScrollBar()->setValue(200);
    // The picture point (in picture pixels) at the middle of the screen pixel at a point of the
    // window's view, and whether two such points are less than a screen pixel apart.
    const auto pictureAt = [&](QPoint inPort) {
        const QPoint c = child->View()->mapFrom(port, inPort);
        const double f = child->Document().ZoomFactor();
        return QPointF((c.x() + 0.5 - 10) / f, (c.y() + 0.5 - 10) / f);
    };
    const auto together = [&](QPointF a, QPointF b) {
        const double f = child->Document().ZoomFactor();
        return std::abs(a.x() - b.x()) * f <= 1 && std::abs(a.y() - b.y()) * f <= 1;
    };

    // The menu and tool bar commands and their keys keep the middle of the view in place.
    struct Step {
        QAction* command;  // clicked on the tool bar, or else
        Qt::Key key;       // pressed with Ctrl
        int level;
    };
    const std::vector<Step> steps = {
        {form.ZoomIn1, {}, 1},       {nullptr, Qt::Key_Plus, 2},
        {nullptr, Qt::Key_Equal, 3}, {form.ZoomOut1, {}, 2},
        {nullptr, Qt::Key_Minus, 1}, {nullptr, Qt::Key_0, 0},
        {nullptr, Qt::Key_Equal, 1}, {form.N3, {}, 0},
    };
    for (const Step& s : steps) {
        const QPointF before = pictureAt(port->rect().center());
        if (s.command)
            QTest::mouseClick(form.ToolBar1->widgetForAction(s.command), Qt::LeftButton);
        else
            QTest::keyClick(&form, s.key, Qt::ControlModifier);
        EXPECT_EQ(child->Document().ZoomLevel, s.level) << s.key;
        const QPointF after = pictureAt(port->rect().center());
        EXPECT_TRUE(together(before, after)) << "level " << s.level << ": " << before.x() << "," << before.y()
                                             << " went to " << after.x() << "," << after.y();
    }
    EXPECT_EQ(form.ZoomIn1->shortcuts(),
              QList<QKeySequence>({QKeySequence("Ctrl++"), QKeySequence("Ctrl+=")}));

    // Ctrl+wheel on a window in the background brings it forward and zooms it about the point
    // under the pointer, step after step; the other window stays as it was.
    form.MDIClient->setActiveSubWindow(back);
    ASSERT_EQ(form.ActiveChild(), back);
    const QPoint pointer = port->mapToGlobal(QPoint(150, 120));
    for (const int turn : {120, 120, 120, -120, 120, -120, -120}) {
        const QPoint at = child->View()->mapFromGlobal(pointer);
        const QPointF before = pictureAt(port->mapFromGlobal(pointer));
        const int level = child->Document().ZoomLevel;
        QWheelEvent wheel(QPointF(at), QPointF(pointer), {}, {0, turn}, Qt::NoButton, Qt::ControlModifier,
                          Qt::NoScrollPhase, false);
        QCoreApplication::sendEvent(child->View(), &wheel);
        EXPECT_EQ(form.ActiveChild(), child);
        EXPECT_EQ(child->Document().ZoomLevel, level + (turn > 0 ? 1 : -1));
        const QPointF after = pictureAt(port->mapFromGlobal(pointer));
        EXPECT_TRUE(together(before, after))
            << "level " << child->Document().ZoomLevel << ": " << before.x() << "," << before.y()
            << " went to " << after.x() << "," << after.y();
    }
    EXPECT_EQ(back->Document().ZoomLevel, 0);
}

TEST_F(DocumentTest, TheWindowShowsThePictureInItsFrame) {
    StartQuietly();
    TChildForm* child = OpenDocument(MakeBmp("plot.bmp", 200, 100));
    ASSERT_NE(child, nullptr);
    const QImage shown = child->View()->grab().toImage();
    ASSERT_EQ(shown.size(), QSize(221, 121));
    struct Pixel {
        int x, y;
        QColor color;
    };
    const std::vector<Pixel> pixels = {
        {0, 0, QColor(192, 192, 192)},      // margin
        {2, 2, QColor(128, 128, 128)},      // frame shadow
        {3, 3, QColor(255, 255, 255)},      // frame highlight inside
        {217, 50, QColor(255, 255, 255)},   // frame highlight outside (x = W' + 17)
        {10, 10, QColor(0, 0, 0)},          // the picture's top-left pixel
        {11, 10, QColor(255, 255, 255)},    // and its neighbour
        {209, 109, QColor(255, 255, 255)},  // its bottom-right pixel
        // Box marker 3 at picture (20, 10), shown at (30, 20): the centre and its neighbours stay
        // free, the square's corners and the arms are red.
        {30, 20, QColor(255, 255, 255)},
        {30, 21, QColor(255, 255, 255)},
        {26, 16, QColor(255, 0, 0)},
        {34, 24, QColor(255, 0, 0)},
        {22, 20, QColor(255, 0, 0)},
    };
    for (const Pixel& p : pixels)
        EXPECT_EQ(shown.pixelColor(p.x, p.y), p.color) << p.x << ", " << p.y;
}

TEST_F(DocumentTest, WindowMenuArrangesTheDocuments) {
    TMainForm& form = StartQuietly();
    form.resize(900, 700);
    std::vector<TChildForm*> children;
    for (const char* name : {"a.bmp", "b.bmp", "c.bmp"})  // c larger than the area
        children.push_back(
            OpenDocument(MakeBmp(name, name[0] == 'c' ? 1200 : 300, name[0] == 'c' ? 900 : 100)));
    children[0]->move(form.MDIClient->viewport()->width() - 50, 0);  // partly beyond the area
    form.Tile1->trigger();
    QCoreApplication::processEvents();
    // Horizontally: one above the other, each across the whole width, together filling the area.
    const QRect area = form.MDIClient->viewport()->rect();
    QRegion covered;
    std::vector<int> tops;
    for (TChildForm* c : children) {
        EXPECT_EQ(c->x(), 0);
        EXPECT_EQ(c->width(), area.width());
        EXPECT_FALSE(covered.intersects(c->geometry())) << "windows overlap";
        covered += c->geometry();
        tops.push_back(c->y());
    }
    EXPECT_EQ(covered, QRegion(area));
    std::sort(tops.begin(), tops.end());
    EXPECT_TRUE(tops[0] < tops[1] && tops[1] < tops[2]);

    form.Cascade1->trigger();
    for (TChildForm* c : children)
        c->showMinimized();
    form.ArrangeIcons1->trigger();
    EXPECT_EQ(children[0]->y(), children[1]->y());
    EXPECT_LT(children[0]->x(), children[1]->x());
    EXPECT_LT(children[1]->x(), children[2]->x());
    EXPECT_EQ(children[0]->y() + children[0]->height(), form.MDIClient->viewport()->height());
}

TEST_F(DocumentTest, RecentFilesFollowTheClosedDocuments) {
    TMainForm& form = StartQuietly();
    QStringList paths;
    for (const char* name : {"f1.bmp", "f2.bmp", "f3.bmp", "f4.bmp", "f5.bmp"})
        paths << MakeBmp(name, 20, 20);
    auto openAndClose = [&](const QString& path) {
        TChildForm* child = OpenDocument(path);
        ASSERT_NE(child, nullptr);
        EXPECT_TRUE(child->close());
        QCoreApplication::processEvents();
    };
    for (const QString& p : paths)
        openAndClose(p);
    EXPECT_EQ(RecentCaptions(form), QStringList({"&1. f5.bmp", "&2. f4.bmp", "&3. f3.bmp", "&4. f2.bmp"}));
    openAndClose(paths[2]);
    EXPECT_EQ(RecentCaptions(form), QStringList({"&1. f3.bmp", "&2. f4.bmp", "&3. f5.bmp", "&4. f2.bmp"}));
    openAndClose(paths[2]);
    EXPECT_EQ(RecentCaptions(form), QStringList({"&1. f3.bmp", "&2. f4.bmp", "&3. f5.bmp", "&4. f2.bmp"}));

    // A file that is gone: the message names its full path and the entry leaves the list.
    QFile::remove(paths[3]);
    form.MFileItems[1]->trigger();
    EXPECT_EQ(dialogs.Texts(Interaction::Error),
              QStringList({"File " + paths[3] + " does no longer exists."}));
    EXPECT_EQ(RecentCaptions(form), QStringList({"&1. f3.bmp", "&2. f5.bmp", "&3. f2.bmp"}));
    EXPECT_TRUE(form.N11->isVisible());

    // A file that is there opens; the list changes only when its window closes.
    form.MFileItems[2]->trigger();
    ASSERT_EQ(form.MDIChildren().size(), 1u);
    EXPECT_EQ(form.ActiveChild()->FullPath(), paths[1]);
    EXPECT_EQ(RecentCaptions(form), QStringList({"&1. f3.bmp", "&2. f5.bmp", "&3. f2.bmp"}));
    form.ActiveChild()->close();
    EXPECT_EQ(RecentCaptions(form), QStringList({"&1. f2.bmp", "&2. f5.bmp", "&3. f3.bmp"}));
}

// A colour channel of opacity a over white, rounded to the nearest: c * a / 255 + 255 - a.
int OverWhite(int c, int a) {
    return int(std::lround((c * a + 255 * (255 - a)) / 255.0));
}

// Clipboard or drag data: local files as URLs, a text, a picture.
QMimeData* Mime(const QStringList& files, const QString& text = {}, const QImage& image = {}) {
    auto* data = new QMimeData;
    QList<QUrl> urls;
    for (const QString& f : files)
        urls << QUrl::fromLocalFile(f);
    if (!urls.isEmpty()) data->setUrls(urls);
    if (!text.isEmpty()) data->setText(text);
    if (!image.isNull()) data->setImageData(image);
    return data;
}

// Drags data over the main window, or a widget on it, and drops it there, as a file manager or
// browser would.
bool Drop(TMainForm& form, QMimeData* dropped, QWidget* onto = nullptr) {
    const std::unique_ptr<QMimeData> data(dropped);
    QWidget* target = onto ? onto : &form;
    const QPoint at = onto ? onto->rect().center() : form.MDIClient->geometry().center();
    QDragEnterEvent enter(at, Qt::CopyAction | Qt::MoveAction, data.get(), Qt::LeftButton, {});
    QApplication::sendEvent(target, &enter);
    if (!enter.isAccepted()) return false;
    QDropEvent drop(QPointF(at), Qt::CopyAction | Qt::MoveAction, data.get(), Qt::LeftButton, {});
    QApplication::sendEvent(target, &drop);
    EXPECT_EQ(drop.dropAction(), Qt::CopyAction) << "the dropped files stay where they are";
    QCoreApplication::processEvents();
    return true;
}

TEST_F(DocumentTest, PastedPicturesOpenAsNewDocumentsThatAskToBeSaved) {
    TMainForm& form = StartQuietly();
    const QString bmp = MakeBmp("plot.bmp", 20, 20), notes = MakeBmp("notes.txt", 20, 20);
    const QString jpeg = CopyData("jpeg/peacock.s1x1-444.jpeg", "scan.jpeg");
    QImage chart(40, 30, QImage::Format_ARGB32);
    chart.fill(QColor(0, 0, 255));
    chart.setPixelColor(0, 0, QColor(255, 0, 0, 128));
    const struct {
        QMimeData* copied;  // nothing: an empty clipboard
        QString caption;    // of the new window; empty: the item is disabled and nothing opens
    } cases[] = {
        {nullptr, ""},
        {Mime({}, "12.5"), ""},
        {Mime({notes}), ""},
        {Mime({}, {}, chart), "Pasted Picture 1"},
        {Mime({bmp}), "plot.bmp"},
        {Mime({}, " " + QUrl::fromLocalFile(jpeg).toString() + "\n"), "scan.jpeg"},
        {Mime({}, jpeg), "scan.jpeg"},
        {Mime({notes}, {}, chart), "Pasted Picture 2"},
    };
    for (const auto& c : cases) {
        if (c.copied)
            QGuiApplication::clipboard()->setMimeData(c.copied);
        else
            QGuiApplication::clipboard()->clear();
        const std::size_t before = form.MDIChildren().size();
        EXPECT_EQ(form.PastePicture1->isEnabled(), !c.caption.isEmpty()) << c.caption.toStdString();
        QTest::keyClick(&form, Qt::Key_V, Qt::ControlModifier);
        ASSERT_EQ(form.MDIChildren().size(), before + (c.caption.isEmpty() ? 0 : 1))
            << c.caption.toStdString();
        if (c.caption.isEmpty()) continue;
        EXPECT_EQ(form.ActiveChild()->windowTitle(), c.caption);
        EXPECT_EQ(form.ActiveChild()->Document().Modified, c.caption.startsWith("Pasted"));
    }
    EXPECT_TRUE(dialogs.log.empty());

    // The pasted picture: its pixels over white, the box at 10 % and 90 % of 40 by 30.
    TChildForm* pasted = form.ActiveChild();
    const PlotDocument& doc = pasted->Document();
    ASSERT_EQ(doc.Picture.Format(), PixelFormat::Rgb24());
    EXPECT_EQ(doc.Picture.PixelColor(0, 0), RGB(255, OverWhite(0, 128), OverWhite(0, 128)));
    EXPECT_EQ(doc.Picture.PixelColor(39, 29), RGB(0, 0, 255));
    EXPECT_EQ(doc.Box.Marker(1).Position(), (TPoint{4, 27}));
    EXPECT_EQ(doc.Box.Marker(4).Position(), (TPoint{36, 3}));

    // In a scale field Ctrl+V pastes the clipboard's text, not a picture.
    QGuiApplication::clipboard()->setMimeData(Mime({}, "125", chart));
    form.Edit2->setFocus();
    QTest::keyClick(form.Edit2, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(form.Edit2, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(form.Edit2->text(), "125");
    EXPECT_EQ(doc.XMax, 125);
    ASSERT_EQ(form.MDIChildren().size(), 5u);
    // Without text to paste there (a picture; copied files, also with their paths as text), the
    // picture or files open, since the first field has the focus from the start.
    for (const auto& [copied, caption] :
         {std::pair{Mime({}, {}, chart), "Pasted Picture 3"}, std::pair{Mime({bmp}, bmp), "plot.bmp"}}) {
        QGuiApplication::clipboard()->setMimeData(copied);
        form.Edit2->setFocus();
        QTest::keyClick(form.Edit2, Qt::Key_V, Qt::ControlModifier);
        ASSERT_EQ(form.MDIChildren().size(), 6u);
        EXPECT_EQ(form.ActiveChild()->windowTitle(), caption);
        form.ActiveChild()->Document().Modified = false;
        form.ActiveChild()->close();
    }

    // Closing asks to save; the proposal lies in an existing folder; cancelling keeps the window.
    dialogs.answers = {Answer::Yes, Answer::No};
    dialogs.files.push_back(std::nullopt);
    EXPECT_FALSE(pasted->close());
    EXPECT_EQ(dialogs.Texts(Interaction::Question), QStringList({"Save changes to Pasted Picture 2?"}));
    const QFileInfo proposed(dialogs.Texts(Interaction::Save).value(0));
    EXPECT_EQ(proposed.fileName(), "Pasted Picture 2.cvn");
    EXPECT_TRUE(proposed.isAbsolute() && proposed.dir().exists()) << proposed.filePath().toStdString();
    EXPECT_TRUE(pasted->close()) << "No closes it";
    // A picture never saved has no file for the recent files; one saved is listed by its project.
    TChildForm* first = qobject_cast<TChildForm*>(form.MDIClient->subWindowList(QMdiArea::CreationOrder)[0]);
    ASSERT_EQ(first->windowTitle(), "Pasted Picture 1");
    form.MDIClient->setActiveSubWindow(first);
    dialogs.files.push_back(Path("first"));
    QTest::keyClick(&form, Qt::Key_S, Qt::ControlModifier);
    EXPECT_TRUE(first->close());
    EXPECT_EQ(RecentCaptions(form), QStringList({"&1. first.cvn", "&2. plot.bmp"}));
}

TEST_F(DocumentTest, DroppedFilesAndPicturesOpenInOrder) {
    TMainForm& form = StartQuietly();
    const QString bmp = MakeBmp("plot.bmp", 20, 20), notes = MakeBmp("notes.txt", 20, 20);
    SaveToFile(*OpenPictureDocument(bmp.toStdString()), Path("Graph.cvn").toStdString());
    ASSERT_TRUE(Drop(form, Mime({Path("Graph.cvn"), notes, bmp})));
    QStringList captions;
    for (QMdiSubWindow* w : form.MDIClient->subWindowList(QMdiArea::CreationOrder))
        captions << w->windowTitle();
    EXPECT_EQ(captions, QStringList({"Graph.cvn", "plot.bmp"}));
    EXPECT_EQ(dialogs.Texts(Interaction::Error),
              QStringList({"File notes.txt is not a picture or project file."}));
    EXPECT_FALSE(Drop(form, Mime({}, "some words"))) << "text is not taken";
    // Over a scale field, files open as anywhere else on the window; text goes into the field.
    ASSERT_TRUE(Drop(form, Mime({bmp}, bmp), form.Edit1));
    EXPECT_EQ(form.MDIChildren().size(), 3u);
    EXPECT_EQ(form.Edit1->text(), "0") << "the new document's value, not the file's path";
    ASSERT_TRUE(Drop(form, Mime({}, "7"), form.Edit1));
    EXPECT_EQ(form.MDIChildren().size(), 3u);
    EXPECT_TRUE(form.Edit1->text().contains("7")) << form.Edit1->text().toStdString();
    form.ActiveChild()->Document().Modified = false;
    form.ActiveChild()->close();

    // Picture data opens as a pasted picture: transparent pixels become white, an indexed picture
    // stays indexed with its colours over white.
    QImage indexed(3, 1, QImage::Format_Indexed8);
    indexed.setColorTable({qRgba(0, 0, 0, 0), qRgb(10, 20, 30), qRgba(100, 200, 50, 77)});
    for (int x = 0; x < 3; ++x)
        indexed.setPixel(x, 0, uint(x));
    const std::vector<TColor> colors = {clWhite, RGB(10, 20, 30),
                                        RGB(OverWhite(100, 77), OverWhite(200, 77), OverWhite(50, 77))};
    QImage mono(10, 1, QImage::Format_MonoLSB);
    mono.setColorTable({qRgb(0, 0, 0), qRgb(255, 255, 255)});
    mono.fill(0);
    mono.setPixel(9, 0, 1);
    QImage grey(2, 1, QImage::Format_Grayscale8);
    grey.fill(QColor(100, 100, 100));
    const struct {
        QImage image;
        int bits;
        std::vector<TColor> row;  // pixel colours of the top row, from the left
    } cases[] = {
        {indexed, 8, colors},
        {indexed.convertToFormat(QImage::Format_ARGB32), 24, colors},
        {mono, 1, {clBlack, clBlack, clBlack, clBlack, clBlack, clBlack, clBlack, clBlack, clBlack, clWhite}},
        {grey, 24, {RGB(100, 100, 100), RGB(100, 100, 100)}},
    };
    int n = 0;
    for (const auto& c : cases) {
        ASSERT_TRUE(Drop(form, Mime({}, {}, c.image)));
        EXPECT_EQ(form.ActiveChild()->windowTitle(), QString("Pasted Picture %1").arg(++n));
        const Bitmap& picture = form.ActiveChild()->Document().Picture;
        EXPECT_EQ(picture.Format().bitsPerPixel, c.bits) << n;
        for (std::size_t x = 0; x < c.row.size(); ++x)
            EXPECT_EQ(picture.PixelColor(int(x), 0), c.row[x]) << n << ": " << x;
    }

    // A picture over 2^28 pixels is refused with a message (a 1-bit one is small enough to make).
    dialogs.log.clear();
    ASSERT_TRUE(Drop(form, Mime({}, {}, QImage(16385, 16384, QImage::Format_Mono))));
    EXPECT_EQ(form.MDIChildren().size(), 6u);
    EXPECT_EQ(dialogs.Texts(Interaction::Error),
              QStringList({"The picture is too large: 16385 x 16384 pixels (at most 268435456)."}));
}

TEST_F(DocumentTest, ListingMemoTouchesOnlyTheLinesThatDiffer) {
    TListingMemo memo;
    VectorLineSink reference;
    const std::vector<std::pair<std::vector<std::string>, int>> steps = {
        {{"DataSeries 1", "1 , 2", "3 , 4", " "}, 0},
        {{"DataSeries 1", "1 , 2", "9 , 9", "3 , 4", " "}, 2},
        {{"DataSeries 1", "1 , 2", "8 , 8", "3 , 4", " ", "Single Markers", "5 , 5"}, 1},
        {{"DataSeries 1", "1 , 2"}, 0},
        {{}, 0},
        {{"a"}, 1},
    };
    for (const auto& [lines, mode] : steps) {
        MergeListing(memo, lines, mode);
        MergeListing(reference, lines, mode);
        QStringList expected;
        for (const std::string& l : reference.lines)
            expected << QString::fromStdString(l);
        EXPECT_EQ(memo.Lines(), expected);
        EXPECT_EQ(memo.Count(), reference.Count());
        EXPECT_EQ(memo.toPlainText(), expected.join('\n'));
        for (int i = 0; i < memo.Count(); ++i)  // the lines it compares with are the lines it shows
            EXPECT_EQ(memo.Line(i), expected[i].toStdString()) << i;
    }

    // A change in line 2 leaves the user's selection on line 0 alone.
    MergeListing(memo, {"first", "second", "third"}, 0);
    QTextCursor selection(memo.document());
    selection.movePosition(QTextCursor::EndOfBlock, QTextCursor::KeepAnchor);
    memo.setTextCursor(selection);
    int changes = 0;
    QObject::connect(memo.document(), &QTextDocument::contentsChange, [&](int position, int, int) {
        ++changes;
        EXPECT_GE(position, int(QString("first\nsecond\n").size()));
    });
    MergeListing(memo, {"first", "second", "3rd"}, 1);
    EXPECT_GE(changes, 1);
    EXPECT_EQ(memo.textCursor().selectedText(), "first");
    EXPECT_EQ(memo.Lines(), QStringList({"first", "second", "3rd"}));
}

}  // namespace
}  // namespace curvana::test
