// Transforms, rectangle fitting and the placement transform.
#include <gtest/gtest.h>

#include <cmath>

#include "graphics/AGGeometry.h"

namespace {

constexpr double kTol = 1e-12;

void ExpectNear(const AGAffineTransform& got, const AGAffineTransform& want, double tol = kTol) {
  EXPECT_NEAR(got.a, want.a, tol);
  EXPECT_NEAR(got.b, want.b, tol);
  EXPECT_NEAR(got.c, want.c, tol);
  EXPECT_NEAR(got.d, want.d, tol);
  EXPECT_NEAR(got.tx, want.tx, tol);
  EXPECT_NEAR(got.ty, want.ty, tol);
}

void ExpectNear(const AGPoint& got, const AGPoint& want, double tol = kTol) {
  EXPECT_NEAR(got.x, want.x, tol);
  EXPECT_NEAR(got.y, want.y, tol);
}

AGAffineTransform Translation(double dx, double dy) { return {1, 0, 0, 1, dx, dy}; }

// ---------------------------------------------------------------------------
// Composition order

TEST(AGAffineTransformConcat, AppliesFirstArgumentFirst) {
  // Translate by 10 then double x: (1, 0) -> (11, 0) -> (22, 0). The other
  // order would give (12, 0), and a translation of 10 instead of 20.
  AGAffineTransform t = AGAffineTransformConcat(Translation(10, 0), {2, 0, 0, 1, 0, 0});
  EXPECT_EQ(t, (AGAffineTransform{2, 0, 0, 1, 20, 0}));
  EXPECT_EQ(AGPointApplyTransform({1, 0}, t), (AGPoint{22, 0}));
}

TEST(AGAffineTransformConcat, ConcatHelpersAppendAfterTheGivenTransform) {
  AGAffineTransform shift = Translation(1, 0);
  // Shift then scale: the shift is scaled too.
  EXPECT_EQ(AGAffineTransformConcatScale(shift, 3, 5), (AGAffineTransform{3, 0, 0, 5, 3, 0}));
  // Scale then shift: the shift is not.
  EXPECT_EQ(AGAffineTransformConcatTranslation(AGAffineTransformConcatScale(kAGAffineTransformIdentity, 3, 5),
                                               AGPoint{1, 0}),
            (AGAffineTransform{3, 0, 0, 5, 1, 0}));
  // Shift then a quarter turn: the origin goes to (1, 0) and then to (0, 1);
  // turning first would leave it at (1, 0).
  AGAffineTransform turned = AGAffineTransformConcatRotation(shift, kPi / 2);
  ExpectNear(AGPointApplyTransform({0, 0}, turned), {0, 1});
  // The rotation about a centre is appended the same way.
  AGAffineTransform aboutCentre = AGAffineTransformConcatRotation(shift, kPi / 2, AGPoint{1, 1});
  ExpectNear(AGPointApplyTransform({0, 0}, aboutCentre), {2, 1});
}

TEST(AGAffineTransformRotation, TurnsPositiveXTowardsPositiveY) {
  AGAffineTransform r = AGAffineTransformMakeRotation(kPi / 2);
  ExpectNear(AGPointApplyTransform({1, 0}, r), {0, 1});
  ExpectNear(AGPointApplyTransform({0, 1}, r), {-1, 0});
  EXPECT_EQ(AGAffineTransformMakeRotation(0.0), kAGAffineTransformIdentity);
}

TEST(AGAffineTransformRotation, AboutACentreKeepsTheCentreFixed) {
  AGPoint centre{3, -2};
  AGAffineTransform r = AGAffineTransformMakeRotation(kPi / 2, centre);
  ExpectNear(AGPointApplyTransform(centre, r), centre);
  ExpectNear(AGPointApplyTransform({4, -2}, r), {3, -1});
  // Same as moving the centre to the origin, turning, and moving back.
  AGAffineTransform composed = AGAffineTransformConcatTranslation(
      AGAffineTransformConcatRotation(Translation(-3, 2), 0.7), centre);
  ExpectNear(AGAffineTransformMakeRotation(0.7, centre), composed);
}

// ---------------------------------------------------------------------------
// Rectangle mapping and inversion

TEST(AGAffineTransformMakeScale, MapsCornerOntoCorner) {
  AGRect from{1, 2, 3, 6};
  AGRect to{10, 20, 20, 40};
  AGAffineTransform t = AGAffineTransformMakeScale(from, to);
  EXPECT_EQ(t, (AGAffineTransform{5, 0, 0, 5, 5, 10}));
  EXPECT_EQ(AGPointApplyTransform({1, 2}, t), (AGPoint{10, 20}));
  EXPECT_EQ(AGPointApplyTransform({3, 6}, t), (AGPoint{20, 40}));
  // A reversed target axis mirrors.
  AGAffineTransform flip = AGAffineTransformMakeScale({0, 0, 1, 1}, {0, 1, 1, 0});
  EXPECT_EQ(flip, (AGAffineTransform{1, 0, 0, -1, 0, 1}));
}

TEST(AGAffineTransformMakeScale, DegenerateSourceGivesTheNullTransform) {
  EXPECT_EQ(AGAffineTransformMakeScale({5, 0, 5, 10}, {0, 0, 1, 1}), kAGNullAffineTransform);
  EXPECT_EQ(AGAffineTransformMakeScale({0, 7, 10, 7}, {0, 0, 1, 1}), kAGNullAffineTransform);
  EXPECT_NE(kAGNullAffineTransform, kAGAffineTransformIdentity);
}

TEST(AGAffineTransformInvert, RoundTripsToIdentity) {
  // det = 1, so every coefficient of the inverse is exact.
  AGAffineTransform t{2, 1, 1, 1, 3, 4};
  AGAffineTransform inv = AGAffineTransformInvert(t);
  EXPECT_EQ(inv, (AGAffineTransform{1, -1, -1, 2, 1, -5}));
  EXPECT_EQ(AGAffineTransformConcat(t, inv), kAGAffineTransformIdentity);
  EXPECT_EQ(AGAffineTransformConcat(inv, t), kAGAffineTransformIdentity);

  AGAffineTransform general = AGAffineTransformConcatTranslation(
      AGAffineTransformConcatRotation(AGAffineTransformConcatScale(kAGAffineTransformIdentity, 2.5, -0.4), 1.1),
      -7, 13);
  ExpectNear(AGAffineTransformConcat(general, AGAffineTransformInvert(general)), kAGAffineTransformIdentity);
}

TEST(AGAffineTransformInvert, SingularMatrixGivesTheNullTransform) {
  const AGAffineTransform singular[] = {
      {0, 0, 0, 0, 5, 6},  // everything to one point
      {1, 2, 2, 4, 1, 1},  // dependent columns
      {3, 0, 0, 0, 0, 0},  // collapses y
  };
  for (const AGAffineTransform& t : singular) EXPECT_EQ(AGAffineTransformInvert(t), kAGNullAffineTransform);
  // Only an exactly zero determinant counts: columns one ulp away from
  // dependent (det = 2^-52) still invert, exactly.
  const double eps = std::ldexp(1.0, -52);
  AGAffineTransform nearly{1, 1, 1, 1 + eps, 0, 0};
  EXPECT_EQ(AGAffineTransformInvert(nearly), (AGAffineTransform{1 / eps + 1, -1 / eps, -1 / eps, 1 / eps, 0, 0}));
}

// ---------------------------------------------------------------------------
// Factorisation

struct Factors {
  double shear;
  double sx;
  double sy;
  double rotation;
};

AGAffineTransform Rebuild(const Factors& f, const AGPoint& translation) {
  AGAffineTransform t{1, 0, f.shear, 1, 0, 0};
  t = AGAffineTransformConcatScale(t, f.sx, f.sy);
  t = AGAffineTransformConcatRotation(t, f.rotation);
  return AGAffineTransformConcatTranslation(t, translation);
}

TEST(AGAffineTransformFactorize, RecoversShearScaleRotationAndTranslation) {
  const Factors cases[] = {
      {0.0, 1.0, 1.0, 0.0},   {0.5, 2.0, 3.0, 0.3},  {-0.25, 1.5, 0.5, 2.0},
      {0.0, 4.0, -2.0, 3.5},  // mirrored: negative second scale
      {1.5, 0.2, 7.0, 5.9},
  };
  for (const Factors& want : cases) {
    SCOPED_TRACE(want.rotation);
    AGAffineTransform t = Rebuild(want, {7, -8});
    AGPoint shear{}, translation{};
    AGSize scale{};
    double rotation = -1;
    AGAffineTransformFactorize(t, &shear, &scale, &rotation, &translation);
    EXPECT_NEAR(shear.x, want.shear, kTol);
    EXPECT_EQ(shear.y, 0.0);
    EXPECT_NEAR(scale.width, want.sx, kTol);
    EXPECT_NEAR(scale.height, want.sy, kTol);
    EXPECT_NEAR(rotation, want.rotation, kTol);
    EXPECT_EQ(translation, (AGPoint{7, -8}));
    ExpectNear(Rebuild({shear.x, scale.width, scale.height, rotation}, translation), t);
  }
}

TEST(AGAffineTransformFactorize, RotationLiesInOneTurn) {
  for (double angle : {-0.5, -kPi, 7.0, 13.0}) {
    // The other outputs may be null.
    double rotation = -1;
    AGAffineTransformFactorize(AGAffineTransformMakeRotation(angle), nullptr, nullptr, &rotation, nullptr);
    EXPECT_GE(rotation, 0.0);
    EXPECT_LT(rotation, k2Pi);
    double expected = std::fmod(std::fmod(angle, k2Pi) + k2Pi, k2Pi);
    EXPECT_NEAR(rotation, expected, 1e-9);
  }
}

TEST(AGAffineTransformFactorize, SingularTransformsStillRebuild) {
  const AGAffineTransform cases[] = {
      {1, 0, 1, 0, 0, 0},   // second column along the first: all x
      {0, 0, -2, 0, 1, 1},  // first column zero
      {0, 0, 0, 0, 4, 5},   // no linear part
  };
  for (const AGAffineTransform& t : cases) {
    AGPoint shear{}, translation{};
    AGSize scale{};
    double rotation = -1;
    AGAffineTransformFactorize(t, &shear, &scale, &rotation, &translation);
    ASSERT_TRUE(std::isfinite(shear.x) && std::isfinite(rotation));
    EXPECT_GE(rotation, 0.0);
    ExpectNear(Rebuild({shear.x, scale.width, scale.height, rotation}, translation), t);
  }
}

// ---------------------------------------------------------------------------
// Rectangle fitting and polar helpers

TEST(AGRectNormalizeWithMinimum, OrdersCornersAndWidensAboutTheCentre) {
  EXPECT_EQ(AGRectNormalizeWithMinimum({10, 0, 0, 1}, 4), (AGRect{0, -1.5, 10, 2.5}));
  EXPECT_EQ(AGRectNormalizeWithMinimum({3, 9, 1, 5}, 4), (AGRect{0, 5, 4, 9}));
  // An extent of exactly the minimum stays as it is.
  EXPECT_EQ(AGRectNormalizeWithMinimum({0, 0, 4, 4}, 4), (AGRect{0, 0, 4, 4}));
  EXPECT_EQ(AGRectNormalizeWithMinimum({2, 2, 2, 2}, 0), (AGRect{2, 2, 2, 2}));
}

TEST(AGRectMakeProportional, ShrinksTheLongSideAboutTheCentre) {
  const AGRect unit{0, 0, 1, 1};
  struct Case {
    AGRect rect;
    AGRect reference;
    AGRect expected;
  };
  const Case cases[] = {
      {{0, 0, 100, 10}, unit, {45, 0, 55, 10}},          // too wide
      {{0, 0, 10, 100}, unit, {0, 45, 10, 55}},          // too tall
      {{0, 0, 40, 10}, {0, 0, 2, 1}, {10, 0, 30, 10}},   // too wide for 2:1
      {{0, 0, 40, 40}, {0, 0, 2, 1}, {0, 10, 40, 30}},   // too tall for 2:1
      {{100, 0, 0, 10}, unit, {55, 0, 45, 10}},          // reversed x stays reversed
      {{0, 10, 100, 0}, unit, {45, 10, 55, 0}},          // reversed y stays reversed
      {{0, 0, 100, 10}, {0, 1, 1, 0}, {55, 0, 45, 10}},  // a reversed reference: ratio -1 ...
      {{0, 0, 10, 100}, {1, 0, 0, 1}, {0, 55, 10, 45}},  // ... whichever axis it reverses
      {{0, 0, 8, 8}, unit, {0, 0, 8, 8}},                // already proportional
  };
  for (const Case& c : cases) {
    AGRect got = AGRectMakeProportional(c.rect, c.reference);
    EXPECT_EQ(got, c.expected) << got.x1 << " " << got.y1 << " " << got.x2 << " " << got.y2;
  }
}

TEST(AGPointPolarAngle, CoversOneTurnFromPositiveX) {
  const AGPoint from{2, 3};
  struct Case {
    AGPoint delta;
    double angle;
  };
  const Case cases[] = {
      {{1, 0}, 0.0},       {{1, 1}, kPi / 4},      {{0, 5}, kPi / 2}, {{-2, 0}, kPi},
      {{0, -1}, 1.5 * kPi}, {{1, -1}, 1.75 * kPi},
  };
  for (const Case& c : cases) {
    EXPECT_NEAR(AGPointPolarAngle(from, {from.x + c.delta.x, from.y + c.delta.y}), c.angle, 1e-12);
  }
  // Just below the +x axis: close to a full turn, never a full turn or NaN.
  double nearlyFull = AGPointPolarAngle({0, 0}, {1, -1e-300});
  EXPECT_GE(nearlyFull, 0.0);
  EXPECT_LT(nearlyFull, k2Pi);
  EXPECT_EQ(AGPointPolarAngle(from, from), 0.0);
}

TEST(AGPointFromPolar, UsesOneRadiusPerAxis) {
  ExpectNear(AGPointFromPolar(2, 3, 0), {2, 0});
  ExpectNear(AGPointFromPolar(2, 3, kPi / 2), {0, 3});
  ExpectNear(AGPointFromPolar(2, 3, kPi), {-2, 0});
}

// ---------------------------------------------------------------------------
// Placement transform

struct PlacementCase {
  const char* name;
  AGPlacement placement;
  AGRect image;  // where the content lands
};

TEST(GetPlacementAFT, AlignsOrStretchesEachFieldByPriority) {
  const AGRect content{10, 20, 110, 70};  // 100 x 50, fits without shrinking
  const AGRect frame{1000, 2000, 1200, 2200};
  const PlacementCase cases[] = {
      {"left bottom", 0, {1000, 2000, 1100, 2050}},
      {"centre centre", kAGPlacementHCenter | kAGPlacementVCenter, {1050, 2075, 1150, 2125}},
      {"right top", kAGPlacementRight | kAGPlacementTop, {1100, 2150, 1200, 2200}},
      {"stretch h", kAGPlacementHStretch, {1000, 2000, 1200, 2050}},
      {"stretch v", kAGPlacementVStretch, {1000, 2000, 1100, 2200}},
      {"stretch both", kAGPlacementHStretch | kAGPlacementVStretch, {1000, 2000, 1200, 2200}},
      {"right beats centre", kAGPlacementRight | kAGPlacementHCenter, {1100, 2000, 1200, 2050}},
      {"stretch beats right", kAGPlacementHStretch | kAGPlacementRight | kAGPlacementHCenter,
       {1000, 2000, 1200, 2050}},
      {"top beats centre", kAGPlacementTop | kAGPlacementVCenter, {1000, 2150, 1100, 2200}},
      {"stretch beats top", kAGPlacementVStretch | kAGPlacementTop | kAGPlacementVCenter,
       {1000, 2000, 1100, 2200}},
  };
  for (const PlacementCase& c : cases) {
    SCOPED_TRACE(c.name);
    AGAffineTransform t = AGGeometry::GetPlacementAFT(content, frame, c.placement);
    EXPECT_EQ(t.b, 0.0);
    EXPECT_EQ(t.c, 0.0);
    AGRect image = content;
    AGGeometry::ApplyTransformToRects(&image, 1, t);
    EXPECT_EQ(image, c.image);
  }
}

TEST(GetPlacementAFT, ShrinksLargeContentUniformlyButNeverEnlarges) {
  const AGRect frame{0, 0, 200, 200};
  // 400 x 100 is halved to 200 x 50.
  EXPECT_EQ(AGGeometry::GetPlacementAFT({0, 0, 400, 100}, frame, 0), (AGAffineTransform{0.5, 0, 0, 0.5, 0, 0}));
  EXPECT_EQ(AGGeometry::GetPlacementAFT({0, 0, 400, 100}, frame, kAGPlacementVCenter),
            (AGAffineTransform{0.5, 0, 0, 0.5, 0, 75}));
  // Stretching starts from the shrunk size: x already fills, y grows by 4.
  EXPECT_EQ(AGGeometry::GetPlacementAFT({0, 0, 400, 100}, frame, kAGPlacementHStretch | kAGPlacementVStretch),
            (AGAffineTransform{0.5, 0, 0, 2, 0, 0}));
  // Small content keeps its size.
  EXPECT_EQ(AGGeometry::GetPlacementAFT({0, 0, 10, 10}, frame, 0), kAGAffineTransformIdentity);
}

TEST(GetPlacementAFT, DegenerateInputStaysFinite) {
  const AGRect frame{0, 0, 200, 200};
  EXPECT_EQ(AGGeometry::GetPlacementAFT({5, 5, 5, 50}, frame, kAGPlacementHStretch), kAGAffineTransformIdentity);
  EXPECT_EQ(AGGeometry::GetPlacementAFT({5, 50, 10, 5}, frame, 0), kAGAffineTransformIdentity);
  // A frame without width shrinks the content to nothing; stretching it
  // must not divide zero by zero.
  AGAffineTransform t =
      AGGeometry::GetPlacementAFT({0, 0, 10, 10}, {3, 0, 3, 200}, kAGPlacementHStretch | kAGPlacementVStretch);
  for (double v : {t.a, t.b, t.c, t.d, t.tx, t.ty}) EXPECT_TRUE(std::isfinite(v));
  EXPECT_EQ(AGPointApplyTransform({10, 10}, t), (AGPoint{3, 0}));
}

}  // namespace
