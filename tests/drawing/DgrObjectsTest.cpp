// Pens, brushes, the transparency rule and the published lists of the drawing layer.

#include "DrawingTestSupport.h"

#include "drawing/Gradient.h"
#include "platform/ColorMaps.h"
#include "platform/Published.h"

#include <QStringList>

namespace {

QStringList PublishedNames(const QMetaObject* meta) {
  QStringList names;
  for (const TPublishedProperty& property : PublishedProperties(meta)) names << property.Name;
  return names;
}

TEST(TransparencyRule, AlphaIsExactIntegerRoundingHalfToEven) {
  // (100 - T) * 2.55 in doubles lands just below the half for 50 and 10.
  const struct {
    int Transparency;
    int Alpha;
  } cases[] = {{0, 255}, {10, 230}, {30, 178}, {50, 128}, {70, 76}, {90, 26}, {99, 3}, {100, 0}};
  for (const auto& c : cases) EXPECT_EQ(TransparencyToAlpha(c.Transparency), c.Alpha) << c.Transparency;
}

TEST(TransparencyRule, OutOfRangeValuesAreClampedWhereverTheyMeetAColour) {
  EXPECT_EQ(TransparencyToAlpha(-40), 255);
  EXPECT_EQ(TransparencyToAlpha(250), 0);
  TGdipPen pen;
  pen.SetTransparency(-5);
  EXPECT_EQ(pen.Transparency(), 0);
  pen.SetTransparency(400);
  EXPECT_EQ(pen.Transparency(), 100);
  TGdipBrush brush;
  brush.SetTransparency(101);
  EXPECT_EQ(brush.Transparency(), 100);
  EXPECT_EQ(brush.ForeAlpha(), 0);
  TBlockShadow shadow;
  shadow.SetTransparency(-1);
  EXPECT_EQ(shadow.Transparency(), 0);
  TDgrPicture picture;
  picture.SetTransparency(1000);
  EXPECT_EQ(picture.Transparency(), 100);
}

TEST(TransparencyRule, ColoursWithStrayBytesOrUnknownSystemNumbersResolve) {
  EXPECT_EQ(DgrColor(MakeColor(0x120000FF), 0), QColor(255, 0, 0));
  EXPECT_EQ(DgrColor(MakeColor(static_cast<int32_t>(0xFF0000FF)), 0), QColor(0, 0, 0));
  EXPECT_EQ(DgrColor(clBtnFace, 50).alpha(), 128);
  EXPECT_EQ(DgrColor(clNone, 0).alpha(), 0);
}

TEST(DgrPen, PublishesColorTransparencyWidthAndStartsThinAndBlack) {
  EXPECT_EQ(PublishedNames(&TDgrPen::staticMetaObject), (QStringList{"Color", "Transparency", "Width"}));
  TGdipPen pen;
  EXPECT_DOUBLE_EQ(pen.Width(), 0.24);
  EXPECT_EQ(pen.Color(), clBlack);
  EXPECT_EQ(pen.PenAlpha(), 255);
}

TEST(DgrPen, SettersReportOnlyRealChanges) {
  TGdipPen pen;
  int changes = 0;
  pen.OnChange = [&](TPersistent* sender) {
    EXPECT_EQ(sender, &pen);
    ++changes;
  };
  pen.SetWidth(0.24);
  pen.SetColor(clBlack);
  EXPECT_EQ(changes, 0);
  pen.SetWidth(3);
  pen.SetDashStyle(gdsDot);
  pen.SetTransparency(20);
  EXPECT_EQ(changes, 3);
}

TEST(DgrPen, PlatformPenGivesColourWidthAndDash) {
  const struct {
    TPenStyle Style;
    TGdipDashStyle Dash;
  } cases[] = {{psSolid, gdsSolid}, {psDash, gdsDash}, {psDot, gdsDot}, {psDashDot, gdsDashDot},
               {psDashDotDot, gdsDashDotDot}, {psInsideFrame, gdsSolid}};
  for (const auto& c : cases) {
    TPen platform;
    platform.SetColor(clRed);
    platform.SetWidth(3);
    platform.SetStyle(c.Style);
    TGdipPen pen;
    pen.SetDashStyle(gdsDot);
    pen.SetTransparency(30);
    pen.Assign(&platform);
    EXPECT_EQ(pen.DashStyle(), c.Dash) << int(c.Style);
    EXPECT_EQ(pen.Color(), clRed);
    EXPECT_DOUBLE_EQ(pen.Width(), 3.0);
    EXPECT_EQ(pen.Transparency(), 30) << "transparency is left alone";
  }
}

TEST(DgrPen, ClearPlatformPenHidesTheOutlineUntilTransparencyIsSetAgain) {
  TGdipPen pen;
  TPen platform;
  platform.SetStyle(psClear);
  pen.Assign(&platform);
  EXPECT_EQ(pen.Transparency(), 100);
  platform.SetStyle(psSolid);
  pen.Assign(&platform);
  EXPECT_EQ(pen.Transparency(), 100);
  pen.SetTransparency(0);
  EXPECT_EQ(pen.GPPen().color().alpha(), 255);
}

TEST(DgrPen, AssignFromEnginePenCopiesEverything) {
  TGdipPen source;
  source.SetColor(clBlue);
  source.SetWidth(2.5);
  source.SetTransparency(40);
  source.SetDashStyle(gdsDashDot);
  TGdipPen pen;
  pen.Assign(&source);
  EXPECT_EQ(pen.Color(), clBlue);
  EXPECT_DOUBLE_EQ(pen.Width(), 2.5);
  EXPECT_EQ(pen.Transparency(), 40);
  EXPECT_EQ(pen.DashStyle(), gdsDashDot);
  TGdipBrush brush;
  EXPECT_THROW(pen.Assign(&brush), EConvertError);
}

TEST(DgrPen, NativePenIsCachedUntilAChange) {
  TGdipPen pen;
  pen.SetWidth(2);
  pen.SetDashStyle(gdsDash);
  const QPen* first = &pen.GPPen();
  EXPECT_EQ(first->dashPattern(), (QList<qreal>{3, 1}));
  EXPECT_EQ(first->capStyle(), Qt::FlatCap);
  EXPECT_EQ(&pen.GPPen(), first);
  pen.SetColor(clRed);
  EXPECT_EQ(pen.GPPen().color(), QColor(255, 0, 0));
}

TEST(DgrBrush, PublishesItsSixPropertiesInOrder) {
  EXPECT_EQ(PublishedNames(&TDgrBrush::staticMetaObject),
            (QStringList{"Color", "Color2", "Transparency", "BrushMode", "GradientMode", "Texture"}));
}

TEST(DgrBrush, BothColoursStartOpaqueAndFollowTransparencyOnceSet) {
  TGdipBrush brush;
  EXPECT_EQ(brush.Color(), clWhite);
  EXPECT_EQ(brush.Color2(), clBlack);
  EXPECT_EQ(brush.ForeAlpha(), 255);
  EXPECT_EQ(brush.BackAlpha(), 255);
  brush.SetTransparency(50);
  EXPECT_EQ(brush.ForeAlpha(), 128);
  EXPECT_EQ(brush.BackAlpha(), 128);
}

TEST(DgrBrush, PlatformBrushGivesModeAndAnInvisibleBackground) {
  const struct {
    TBrushStyle Style;
    TDgrBrushMode Mode;
    TGdipHatchStyle Hatch;
  } cases[] = {{bsSolid, bmSolid, ghsVertical},          {bsClear, bmClear, ghsVertical},
               {bsHorizontal, bmHatch, ghsHorizontal},   {bsVertical, bmHatch, ghsVertical},
               {bsFDiagonal, bmHatch, ghsForwardDiagonal}, {bsBDiagonal, bmHatch, ghsBackwardDiagonal},
               {bsCross, bmHatch, ghsCross},             {bsDiagCross, bmHatch, ghsDiagonalCross}};
  for (const auto& c : cases) {
    TGdipBrush brush;
    brush.SetHatchStyle(ghsVertical);
    brush.SetTransparency(50);
    TBrush platform;
    platform.SetColor(clRed);
    platform.SetStyle(c.Style);
    brush.Assign(&platform);
    EXPECT_EQ(brush.BrushMode(), c.Mode) << int(c.Style);
    EXPECT_EQ(brush.HatchStyle(), c.Hatch) << int(c.Style);
    EXPECT_EQ(brush.Color(), clRed);
    EXPECT_EQ(brush.ForeAlpha(), 128) << "the colour keeps following Transparency";
    EXPECT_EQ(brush.BackAlpha(), 0);
  }
}

TEST(DgrBrush, SettingAColourMakesItFollowTransparencyAgain) {
  TGdipBrush brush;
  TBrush platform;
  platform.SetStyle(bsCross);
  brush.Assign(&platform);
  EXPECT_EQ(brush.BackAlpha(), 0);
  brush.SetColor2(clGreen);
  EXPECT_EQ(brush.BackAlpha(), 255);
  brush.Assign(&platform);
  brush.SetTransparency(brush.Transparency());
  EXPECT_EQ(brush.BackAlpha(), 255) << "setting Transparency, even unchanged, resets both overrides";
}

TEST(DgrBrush, AssignFromBrushCopiesSettingsAndTexture) {
  TGdipBrush source;
  source.SetColor(clRed);
  source.SetColor2(clBlue);
  source.SetTransparency(20);
  source.SetBrushMode(bmGradient);
  source.SetGradientMode(gmVertOutIn);
  source.SetHatchStyle(ghsCross);
  TBitmap bitmap(2, 2);
  source.Texture()->SetGraphic(&bitmap);
  TGdipBrush brush;
  brush.Assign(&source);
  EXPECT_EQ(brush.Color(), clRed);
  EXPECT_EQ(brush.Color2(), clBlue);
  EXPECT_EQ(brush.Transparency(), 20);
  EXPECT_EQ(brush.BrushMode(), bmGradient);
  EXPECT_EQ(brush.GradientMode(), gmVertOutIn);
  EXPECT_EQ(brush.HatchStyle(), ghsCross);
  EXPECT_EQ(brush.Texture()->Width(), 2);
  EXPECT_NE(brush.Texture(), source.Texture());
}

TEST(DgrBrush, PositionAndTextureChangesReachOnChange) {
  TGdipBrush brush;
  int changes = 0;
  brush.OnChange = [&](TPersistent*) { ++changes; };
  brush.UpdateBrushPosition(TSquare{0, 0, 10, 10}, 30, TDot{5, 5});
  EXPECT_EQ(changes, 1);
  EXPECT_EQ(brush.GradientRect(), QRectF(0, 0, 10, 10));
  EXPECT_FALSE(brush.RotMatrix().isIdentity());
  TBitmap bitmap(3, 3);
  brush.Texture()->SetGraphic(&bitmap);
  EXPECT_GE(changes, 2);
  const int before = changes;
  brush.Texture()->SetTransparency(40);
  EXPECT_EQ(changes, before + 1);
}

}  // namespace
