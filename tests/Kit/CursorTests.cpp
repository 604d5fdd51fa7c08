#include "Platform/Kit/Cursor.h"
#include "tests/Support/Kit/KitTest.h"
#include "tests/Support/TestAccess.h"

#include <QApplication>
#include <QCursor>

#include <gtest/gtest.h>
#include <memory>

using Kit::Cursor;

namespace {

class CursorTest : public Kit::Testing::KitTest {
protected:
    void SetUp() override
    {
        KitTest::SetUp();
        TestAccess::resetForTesting<Cursor>();
    }
    void TearDown() override
    {
        TestAccess::resetForTesting<Cursor>();
        KitTest::TearDown();
    }

    // The shape the application shows: the override cursor's, or the arrow.
    static Qt::CursorShape shown()
    {
        const QCursor* cursor = QGuiApplication::overrideCursor();
        return cursor ? cursor->shape() : Qt::ArrowCursor;
    }
};

} // namespace

TEST_F(CursorTest, SetPushAndPopChangeTheApplicationsCursor)
{
    Cursor::pointingHandCursor().set();
    EXPECT_EQ(shown(), Qt::PointingHandCursor);
    Cursor::IBeamCursor().push();
    EXPECT_EQ(shown(), Qt::IBeamCursor);
    EXPECT_EQ(Cursor::current(), Cursor::IBeamCursor());
    Cursor::pop();
    EXPECT_EQ(shown(), Qt::PointingHandCursor);
    Cursor::arrowCursor().set();
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
    Cursor::pop(); // an empty stack: nothing happens
    EXPECT_EQ(Cursor::current(), Cursor::arrowCursor());
}

TEST_F(CursorTest, HidesCountAndEachNeedsOneUnhide)
{
    Cursor::crosshairCursor().set();
    Cursor::hide();
    Cursor::hide();
    EXPECT_EQ(shown(), Qt::BlankCursor);
    Cursor::unhide();
    EXPECT_TRUE(Cursor::isHidden());
    EXPECT_EQ(shown(), Qt::BlankCursor);
    // A cursor set while hidden shows once the last hide is undone.
    Cursor::resizeLeftRightCursor().set();
    EXPECT_EQ(shown(), Qt::BlankCursor);
    Cursor::unhide();
    EXPECT_FALSE(Cursor::isHidden());
    EXPECT_EQ(shown(), Qt::SizeHorCursor);
    Cursor::unhide();
    EXPECT_EQ(Cursor::hideCount(), 0);
    Cursor::hide();
    EXPECT_EQ(shown(), Qt::BlankCursor);
}

TEST_F(CursorTest, ShapesMapToQtShapes)
{
    const std::pair<Cursor, Qt::CursorShape> cases[] = {
        {Cursor::arrowCursor(), Qt::ArrowCursor},
        {Cursor::IBeamCursor(), Qt::IBeamCursor},
        {Cursor::crosshairCursor(), Qt::CrossCursor},
        {Cursor::pointingHandCursor(), Qt::PointingHandCursor},
        {Cursor::openHandCursor(), Qt::OpenHandCursor},
        {Cursor::closedHandCursor(), Qt::ClosedHandCursor},
        {Cursor::resizeLeftRightCursor(), Qt::SizeHorCursor},
        {Cursor::resizeUpDownCursor(), Qt::SizeVerCursor},
        {Cursor(Cursor::Shape::resizeNorthWestSouthEast), Qt::SizeFDiagCursor},
        {Cursor(Cursor::Shape::resizeNorthEastSouthWest), Qt::SizeBDiagCursor},
        {Cursor::operationNotAllowedCursor(), Qt::ForbiddenCursor},
    };
    for (const auto& [cursor, shape] : cases)
        EXPECT_EQ(cursor.qtCursor().shape(), shape) << static_cast<int>(cursor.shape());
}

TEST_F(CursorTest, AnImageCursorKeepsItsHotSpot)
{
    Kit::Image image(Kit::Size {16, 16}, 2);
    const Cursor cursor(image, {3, 5});
    EXPECT_EQ(cursor.shape(), Cursor::Shape::image);
    const QCursor qt = cursor.qtCursor();
    EXPECT_EQ(qt.shape(), Qt::BitmapCursor);
    EXPECT_EQ(qt.hotSpot(), QPoint(3, 5));
    EXPECT_EQ(qt.pixmap().deviceIndependentSize().toSize(), QSize(16, 16));
    cursor.set();
    EXPECT_EQ(shown(), Qt::BitmapCursor);
    // Without an image it is the arrow.
    EXPECT_EQ(Cursor(Kit::Image(), {0, 0}).qtCursor().shape(), Qt::ArrowCursor);
}
