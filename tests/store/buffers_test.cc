#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "support/model_fixture.h"

// A plane's rows with their borders, one letter a sample.
static std::vector<std::string> rows_of(const PixelPlane& plane) {
    const PlaneBorders& b = plane.borders;
    std::vector<std::string> rows;
    for (int r = -b.top; r < plane.height + b.bottom; ++r) {
        rows.emplace_back();
        for (int c = -b.left; c < plane.width + b.right; ++c)
            rows.back() += static_cast<char>(plane.row(r)[c]);
    }
    return rows;
}

TEST(Buffers, BorderFill) {
    // The field a..p of a 4 x 4 frame in both planes: one mirrored row above
    // and below, two replicated columns on each side.
    veldax_test::TestModel t(4, 4, 2);
    ASSERT_TRUE(t.ready());
    for (int i = 0; i < 32; ++i) t.field(1, i / 16, i / 4 % 4, i % 4) = 'a' + i % 16;
    t.m.fill_borders(t.m.field_store[1], 0);
    const std::vector<std::string> want{"eeefghhh", "aaabcddd", "eeefghhh",
                                        "iiijklll", "mmmnoppp", "iiijklll"};
    for (int p = 0; p < 2; ++p) EXPECT_EQ(rows_of(t.m.field_store[1][p]), want) << p;

    // Frame 1 is 3 x 2 (a..f) inside an 8 x 6 frame: its borders lie directly
    // around it, and every other sample (row r holding 's' + r) keeps its value.
    veldax_test::TestModel u(8, 6);
    u.m.dynamic = 1;
    u.m.frmw[1] = 2;
    u.m.frmh[1] = 1;
    ASSERT_TRUE(u.ready());
    for (int r = 0; r < 8; ++r)
        for (int c = 0; c < 12; ++c) u.m.field_store[0][0].block()[r * 12 + c] = static_cast<Sample>('s' + r);
    u.set_row(0, 0, 0, {'a', 'b', 'c'});
    u.set_row(0, 0, 1, {'d', 'e', 'f'});
    u.m.fill_borders(u.m.field_store[0], 1);
    EXPECT_EQ(
        rows_of(u.m.field_store[0][0]),
        (std::vector<std::string>{"dddefffsssss", "aaabcccttttt", "dddefffuuuuu", "aaabcccvvvvv",
                                  "wwwwwwwwwwww", "xxxxxxxxxxxx", "yyyyyyyyyyyy", "zzzzzzzzzzzz"}));
}

// The planes of a set share one block: each one's rows and borders, written
// whole, leave every other plane as it was; `narrow` planes 1 and 2 take
// (columns + 1) / 2 columns.
TEST(Buffers, PlanesOfASetKeepApart) {
    const struct {
        int32_t buffers, planes, rows, columns;
        PlaneBorders borders;
        bool narrow;
    } kShapes[] = {{2, 3, 5, 7, {1, 1, 2, 2}, false}, {1, 4, 1, 1, {}, false},
                   {2, 1, 3, 33, {2, 3, 0, 5}, false}, {2, 4, 5, 7, {1, 1, 2, 2}, true}};
    for (const auto& s : kShapes) {
        PlaneSet set;
        const auto columns = [&](int32_t p) {
            return s.narrow && (p == 1 || p == 2) ? (s.columns + 1) / 2 : s.columns;
        };
        ASSERT_TRUE(set.allocate(s.buffers, s.planes, s.rows, columns, s.borders));
        const int32_t n = s.buffers * s.planes;
        for (int32_t i = 0; i < n; ++i) {
            const PixelPlane& p = set[i / s.planes][i % s.planes];
            ASSERT_EQ(p.block_samples(),
                      static_cast<size_t>(s.rows + s.borders.top + s.borders.bottom) *
                          static_cast<size_t>(columns(i % s.planes) + s.borders.left + s.borders.right));
            std::fill(p.block(), p.block() + p.block_samples(), static_cast<Sample>(i + 1));
        }
        for (int32_t i = 0; i < n; ++i) {
            const PixelPlane& p = set[i / s.planes][i % s.planes];
            EXPECT_EQ(std::count(p.block(), p.block() + p.block_samples(), static_cast<Sample>(i + 1)),
                      static_cast<std::ptrdiff_t>(p.block_samples()))
                << "plane " << i << " of " << s.columns << "x" << s.rows;
        }
    }
}
