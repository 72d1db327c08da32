// SPDX-License-Identifier: GPL-2.0-or-later
// The screen page's controls: the library, the slots, the frame strip and the frame editor.
#include "GlintTestSupport.h"

#include "glint/ImageView.h"
#include "glint/ImageViewCache.h"
#include "glint/ImageViewList.h"
#include "glint/LCDViewCtrl.h"
#include "glint/LCDViewList.h"

#include "support/MalformedFiles.h"

#include <QFile>
#include <QImage>
#include <QTemporaryDir>

namespace zephyl::glint::test {
namespace {

using ScreenControlsTest = GlintTest;

TEST(ScreenAnimation, FrameAtTimeLoopsThroughTheDelays) {
    struct Case {
        std::vector<int> delays;
        std::int64_t elapsed;
        int frame;
    };
    const Case cases[] = {
        {{}, 500, 0},
        {{100, 50, 200}, 0, 0},
        {{100, 50, 200}, 99, 0},
        {{100, 50, 200}, 100, 1},
        {{100, 50, 200}, 150, 2},
        {{100, 50, 200}, 349, 2},
        {{100, 50, 200}, 350, 0},
        {{100, 50, 200}, 455, 1},
        {{0, 0}, 3, 1},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(FrameAtTime(c.delays, c.elapsed), c.frame) << c.elapsed;
    }
}

std::vector<QString> Names(const ImageViewList& list) {
    std::vector<QString> names;
    for (const ImageViewItem& item : list.GetImageViewItems()) {
        names.push_back(item.name);
    }
    return names;
}

// The controls read pictures brought down to the size they show them at, and never one whose
// header declares more than a picture may have.
TEST(ScreenPictures, ReadWithinTheBoxAndTheBudget) {
    App();  // the scaled picture is a pixmap
    QTemporaryDir folder;
    const QString small = folder.filePath(QStringLiteral("small.png"));
    QImage(64, 32, QImage::Format_ARGB32).save(small, "PNG");
    const QString huge = folder.filePath(QStringLiteral("huge.png"));
    const zephyl::test::Bytes bytes = zephyl::test::DeclaringPng(16384, 16384);
    QFile file(huge);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<qint64>(bytes.size()));
    file.close();
    EXPECT_EQ(ReadPictureWithin(small, QSize(16, 16)).size(), QSize(16, 8));
    EXPECT_EQ(ReadPictureWithin(small, QSize(128, 128)).size(), QSize(64, 32));
    EXPECT_TRUE(ReadPictureWithin(huge, QSize(128, 128)).isNull());
    EXPECT_TRUE(ScaledPicture(huge, QSize(128, 128)).isNull());
}

TEST_F(ScreenControlsTest, FrameStripKeepsItsSelectionThroughInsertsAndDeletes) {
    auto* strip = m_window->CreateControlAs<ImageViewList>(334, QRect(0, 0, 400, 100));
    for (const char* name : {"a", "b", "c", "d", "e"}) {
        strip->AddString({QStringLiteral("/f/") + name, {}, 100, 0, name});
    }
    strip->SetCurSel(2);
    // Pictures added after the selected frame, in the order given.
    int at = 3;
    for (const char* name : {"x", "y", "z"}) {
        strip->AddString({QStringLiteral("/f/") + name, {}, 50, 0, name}, at++);
    }
    EXPECT_EQ(Names(*strip), (std::vector<QString>{"a", "b", "c", "x", "y", "z", "d", "e"}));
    EXPECT_EQ(strip->GetCurSel(), 2);
    // Inserted before the selection, the selection follows its frame.
    strip->AddString({QStringLiteral("/f/w"), {}, 50, 0, "w"}, 0);
    EXPECT_EQ(strip->GetCurSel(), 3);
    EXPECT_EQ(strip->GetFrameItemName(3), "c");
    // The edit file is the picture until an edit is kept; reverting gives the picture back.
    EXPECT_EQ(strip->GetItemEditImageFile(3), "/f/c");
    strip->UpdateItemImageFile(3, QStringLiteral("/tmp/edit-c"));
    EXPECT_EQ(strip->GetItemEditImageFile(3), "/tmp/edit-c");
    EXPECT_EQ(strip->GetItemImageFile(3), "/f/c");
    strip->RevertEdits();
    EXPECT_EQ(strip->GetItemEditImageFile(3), "/f/c");
    // Deleting the selected frame selects the one taking its place; the last, the new last.
    strip->DeleteItem(3);
    EXPECT_EQ(strip->GetCurSel(), 3);
    EXPECT_EQ(strip->GetFrameItemName(3), "x");
    strip->SetCurSel(strip->GetItemCount() - 1);
    strip->DeleteItem(strip->GetItemCount() - 1);
    EXPECT_EQ(strip->GetCurSel(), strip->GetItemCount() - 1);
    strip->SetDelayTime(500);
    for (int i = 0; i < strip->GetItemCount(); ++i) {
        EXPECT_EQ(strip->GetItemDelayTime(i), 500);
    }
    while (strip->GetItemCount() > 0) {
        strip->DeleteItem(0);
    }
    EXPECT_EQ(strip->GetCurSel(), -1);
}

TEST_F(ScreenControlsTest, ClicksChooseAndDoubleClicksActivate) {
    auto* strip = m_window->CreateControlAs<ImageViewList>(334, QRect(0, 0, 400, 100));
    auto* screens = m_window->CreateControlAs<LCDViewCtrl>(319, QRect(0, 120, 300, 120));
    auto* library = m_window->CreateControlAs<LCDViewList>(321, QRect(320, 0, 200, 300));
    for (int i = 0; i < 3; ++i) {
        strip->AddString({QStringLiteral("/f/%1").arg(i), {}, 100, 0, QString::number(i)});
        screens->AddItem(QString::number(i));
        library->AddString({}, {}, i, 10 + i);
    }
    m_window->show();
    Settle();
    Click(strip, strip->ItemRect(1).center());
    DoubleClick(strip, strip->ItemRect(2).center());
    Click(screens, screens->ItemRect(2).center());
    Click(library, QPoint(50, 64 + 32));
    Settle();
    EXPECT_EQ(strip->GetCurSel(), 2);
    EXPECT_EQ(screens->GetCurSel(), 2);
    EXPECT_EQ(library->GetCurSel(), 1);
    EXPECT_EQ(library->GetItemLEDId(library->GetCurSel()), 11);
    const std::vector<Event> expected = {
        {334, kEventClick, 1}, {334, kEventClick, 2}, {334, kEventActivate, 2},
        {319, kEventClick, 2}, {321, kEventClick, 1},
    };
    EXPECT_EQ(m_window->events, expected);
    // The library finds entries by animation and moves its selection when one goes.
    EXPECT_EQ(library->SetItemLEDIdSelect(12), 2);
    EXPECT_EQ(library->SetItemLEDIdSelect(99), -1);
    library->DeleteItem(2);
    EXPECT_EQ(library->GetCurSel(), 1);
    library->DeleteItem(0);
    EXPECT_EQ(library->GetCurSel(), 0);
    EXPECT_EQ(library->GetItemLEDId(0), 11);
}

// More animations than the library shows at once: the selected one is scrolled into view, and
// a scroll bar shows how far the list goes and moves it.
TEST_F(ScreenControlsTest, TheLibraryScrollsToItsSelectionAndShowsAScrollBar) {
    // Its caption on top, then room for three rows and a half of 64 pixels.
    auto* library = m_window->CreateControlAs<LCDViewList>(321, QRect(0, 0, 200, 26 + 224));
    library->SetTitle(QStringLiteral("Up to 100 frames per animation"));
    for (int i = 0; i < 3; ++i) {
        library->AddString({}, {}, i + 1, 10 + i);
    }
    m_window->show();
    Settle();
    EXPECT_TRUE(library->ScrollBarRect().isEmpty()) << "three rows fit";

    // An animation added last and selected (an import) is shown whole.
    for (int i = 3; i < 8; ++i) {
        library->AddString({}, {}, i + 1, 10 + i);
    }
    library->SetItemLEDIdSelect(17);
    Settle();
    const QRect bar = library->ScrollBarRect();
    ASSERT_FALSE(bar.isEmpty()) << "eight rows do not fit";
    EXPECT_EQ(library->Scroll(), 8 * 64 - 224) << "the last row ends at the bottom";
    EXPECT_EQ(library->IndexAt(QPoint(50, library->height() - 2)), 7);
    // The bar is drawn beside the rows, not under them.
    EXPECT_EQ(library->IndexAt(bar.center()), -1);

    // The first row selected again comes back into view.
    library->SetCurSel(0);
    Settle();
    EXPECT_EQ(library->Scroll(), 0);
    // Dragging the bar's thumb to the bottom scrolls to the end.
    Drag(library, QPoint(bar.center().x(), bar.top() + 5), QPoint(bar.center().x(), bar.bottom()));
    Settle();
    EXPECT_EQ(library->Scroll(), 8 * 64 - 224);
    EXPECT_EQ(library->GetCurSel(), 0) << "the bar selects nothing";
    // Rows taken away leave no empty scroll behind.
    while (library->GetItemCount() > 2) {
        library->DeleteItem(library->GetItemCount() - 1);
    }
    Settle();
    EXPECT_EQ(library->Scroll(), 0);
    EXPECT_TRUE(library->ScrollBarRect().isEmpty());
}

class ImageViewTest : public GlintTest {
protected:
    void SetUp() override {
        GlintTest::SetUp();
        ASSERT_TRUE(m_folder.isValid());
        m_editor = m_window->CreateControlAs<ImageView>(330, QRect(0, 0, 320, 256));
        m_editor->SetCanvasSize(QSize(16, 8));
        // A 4 x 4 blue picture: fitted into 16 x 8 it fills the middle 8 x 8.
        QImage blue(4, 4, QImage::Format_RGB32);
        blue.fill(qRgb(0, 0, 255));
        m_picture = m_folder.filePath("frame.jpg");  // a PNG whatever its name says
        ASSERT_TRUE(blue.save(m_picture, "PNG"));
        m_edit = m_folder.filePath("edit.png");
        ASSERT_TRUE(m_editor->SetImage(m_picture, m_edit));
    }
    QRgb At(int x, int y) const { return m_editor->GetImage().pixel(x, y); }

    QTemporaryDir m_folder;
    ImageView* m_editor = nullptr;
    QString m_picture;
    QString m_edit;
};

TEST_F(ImageViewTest, PicturesAreFittedWholeOnBlack) {
    EXPECT_EQ(m_editor->GetImage().size(), QSize(16, 8));
    EXPECT_EQ(At(0, 0), qRgb(0, 0, 0));
    EXPECT_EQ(At(3, 7), qRgb(0, 0, 0));
    EXPECT_EQ(At(4, 0), qRgb(0, 0, 255));
    EXPECT_EQ(At(11, 7), qRgb(0, 0, 255));
    EXPECT_EQ(At(12, 4), qRgb(0, 0, 0));
    EXPECT_FALSE(m_editor->IsModified());
    EXPECT_FALSE(m_editor->SetImage(m_folder.filePath("missing.png"), m_edit));
    EXPECT_EQ(At(8, 4), qRgb(0, 0, 0));
}

TEST_F(ImageViewTest, PenEraserUndoAndSave) {
    m_editor->SetColorValue(0xFF0000);
    // Without a tool nothing is drawn.
    m_editor->Stroke({QPoint(5, 1)});
    EXPECT_FALSE(m_editor->IsModified());
    m_editor->SetDrawMode(ImageView::kDrawPen);
    m_editor->SetPenSize(2);
    m_editor->Stroke({QPoint(5, 1), QPoint(9, 1)});
    // A 2-pixel square pen covers the row above its centre too.
    for (int x = 4; x <= 9; ++x) {
        EXPECT_EQ(At(x, 0), qRgb(255, 0, 0)) << x;
        EXPECT_EQ(At(x, 1), qRgb(255, 0, 0)) << x;
    }
    EXPECT_EQ(At(5, 2), qRgb(0, 0, 255));
    m_editor->SetDrawMode(ImageView::kDrawEraser);
    m_editor->SetPenSize(1);
    m_editor->Stroke({QPoint(6, 5)});
    EXPECT_EQ(At(6, 5), qRgb(0, 0, 0));
    EXPECT_EQ(m_editor->UndoDepth(), 2);
    // Undo takes back one step at a time.
    EXPECT_TRUE(m_editor->RecoverCurEdit());
    EXPECT_EQ(At(6, 5), qRgb(0, 0, 255));
    EXPECT_EQ(At(5, 1), qRgb(255, 0, 0));
    // Saving writes the edit file, never the picture; a second save has nothing to write.
    EXPECT_TRUE(m_editor->SaveImageData());
    EXPECT_FALSE(m_editor->SaveImageData());
    const QImage saved(m_edit);
    ASSERT_EQ(saved.size(), QSize(16, 8));
    EXPECT_EQ(saved.pixel(5, 1), qRgb(255, 0, 0));
    EXPECT_EQ(QImage(m_picture).pixel(1, 1), qRgb(0, 0, 255));
    // Text is one step too, and clearing throws away the edit since the save.
    m_editor->SetFontSize(8);
    m_editor->SetColorValue(0xFFFFFF);
    m_editor->AddText(QStringLiteral("W"));
    EXPECT_TRUE(m_editor->IsModified());
    m_editor->ClearCurEdit();
    EXPECT_FALSE(m_editor->IsModified());
    EXPECT_EQ(m_editor->GetImage(), saved.convertToFormat(m_editor->GetImage().format()));
    EXPECT_FALSE(m_editor->RecoverCurEdit());
}

TEST_F(ImageViewTest, MouseDrawsWherePointedAtAnyZoom) {
    m_window->show();
    Settle();
    m_editor->SetDrawMode(ImageView::kDrawPen);
    m_editor->SetColorValue(0x00FF00);
    // 16 x 8 shown in 320 x 256: 20 widget pixels a picture pixel, 48 pixels of margin above.
    Drag(m_editor, QPoint(2 * 20 + 10, 48 + 3 * 20 + 10), QPoint(4 * 20 + 10, 48 + 3 * 20 + 10));
    Settle();
    EXPECT_EQ(At(2, 3), qRgb(0, 255, 0));
    EXPECT_EQ(At(3, 3), qRgb(0, 255, 0));
    EXPECT_EQ(At(4, 3), qRgb(0, 255, 0));
    EXPECT_EQ(At(5, 3), qRgb(0, 0, 255));
    ASSERT_FALSE(m_window->events.empty());
    EXPECT_EQ(m_window->events.back(), (Event{330, kEventImageEditor, 0}));
    // At 200 % the picture's centre stays at the widget's centre.
    m_editor->SetScale100(200);
    EXPECT_EQ(m_editor->ToPicture(QPointF(160, 128)), QPoint(8, 4));
    EXPECT_EQ(m_editor->ToPicture(QPointF(160 + 40, 128)), QPoint(9, 4));
    // The right button asks for the menu and draws nothing.
    const QImage before = m_editor->GetImage();
    Click(m_editor, QPoint(160, 128), Qt::RightButton);
    Settle();
    EXPECT_EQ(m_window->events.back(), (Event{330, kEventRightButton, 0}));
    EXPECT_EQ(m_editor->GetImage(), before);
}

}  // namespace
}  // namespace zephyl::glint::test
