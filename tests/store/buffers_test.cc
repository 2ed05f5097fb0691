#include <gtest/gtest.h>

#include <unistd.h>

#include <cmath>
#include <cstdint>
#include <vector>

#include "config/model.h"

namespace {

// A hand-built model of a frame_width x frame_height frame, buffers allocated.
struct Store {
    DeinterlacerModel m;
    Store(int32_t width, int32_t height, int32_t planes = 1) {
        m.init_defaults();
        m.frame_width = width;
        m.frame_height = height;
        m.num_plane = planes;
    }
    void allocate() {
        m.derive_configuration();
        ASSERT_EQ(m.allocate_buffers(), 0);
    }
    ~Store() { m.release_buffers(); }
};

TEST(Buffers, DefaultSizesAndZeroContent) {
    Store s(704, 480, 3);
    s.allocate();
    for (int b = 0; b < 2; ++b) {
        for (int p = 0; p < 3; ++p) {
            const PixelPlane& field = s.m.field_store[b][p];
            const PixelPlane& frame = s.m.frame_store[b][p];
            ASSERT_EQ(field.height, 482);
            ASSERT_EQ(field.width, 708);
            ASSERT_EQ(frame.height, 480);
            ASSERT_EQ(frame.width, 704);
            int64_t nonzero = 0;
            for (int r = 0; r < 482; ++r)
                for (int c = 0; c < 708; ++c) nonzero += field[r][c] != 0;
            for (int r = 0; r < 480; ++r)
                for (int c = 0; c < 704; ++c) nonzero += frame[r][c] != 0;
            EXPECT_EQ(nonzero, 0) << b << " " << p;
        }
    }
    EXPECT_EQ(s.m.motion_store->height, 480);
    EXPECT_EQ(s.m.motion_store->width, 704);
    s.m.release_buffers();
    EXPECT_EQ(s.m.field_store, nullptr);
    EXPECT_EQ(s.m.frame_store, nullptr);
    EXPECT_EQ(s.m.motion_store, nullptr);
}

// Writes rows of the field area at (pad_top + y, pad_left + x).
void put_field(PixelPlane& plane, const std::vector<std::vector<int32_t>>& rows) {
    for (size_t y = 0; y < rows.size(); ++y)
        for (size_t x = 0; x < rows[y].size(); ++x)
            plane[static_cast<int32_t>(1 + y)][static_cast<int32_t>(2 + x)] = rows[y][x];
}

void expect_plane(const PixelPlane& plane, const std::vector<std::vector<int32_t>>& want) {
    for (size_t r = 0; r < want.size(); ++r)
        for (size_t c = 0; c < want[r].size(); ++c)
            EXPECT_EQ(plane[static_cast<int32_t>(r)][static_cast<int32_t>(c)], want[r][c])
                << "row " << r << " col " << c;
}

// The 4 x 4 field a..p (here 1..16) with one mirrored row above and below and
// two replicated columns on each side.
TEST(Buffers, BorderFillOfAWholeFrame) {
    Store s(4, 4, 2);
    s.allocate();
    PixelPlane* planes = s.m.field_store[1];
    put_field(planes[0], {{1, 2, 3, 4}, {5, 6, 7, 8}, {9, 10, 11, 12}, {13, 14, 15, 16}});
    put_field(planes[1], {{-1, -2, -3, -4}, {-5, -6, -7, -8}, {-9, -10, -11, -12}, {-13, -14, -15, -16}});
    s.m.fill_borders(planes, 0);
    expect_plane(planes[0], {{5, 5, 5, 6, 7, 8, 8, 8},
                             {1, 1, 1, 2, 3, 4, 4, 4},
                             {5, 5, 5, 6, 7, 8, 8, 8},
                             {9, 9, 9, 10, 11, 12, 12, 12},
                             {13, 13, 13, 14, 15, 16, 16, 16},
                             {9, 9, 9, 10, 11, 12, 12, 12}});
    expect_plane(planes[1], {{-5, -5, -5, -6, -7, -8, -8, -8},
                             {-1, -1, -1, -2, -3, -4, -4, -4},
                             {-5, -5, -5, -6, -7, -8, -8, -8},
                             {-9, -9, -9, -10, -11, -12, -12, -12},
                             {-13, -13, -13, -14, -15, -16, -16, -16},
                             {-9, -9, -9, -10, -11, -12, -12, -12}});
}

// Frame 1 of a dynamic configuration is 3 x 2 inside an 8 x 6 frame: its
// borders lie directly around it and every other sample keeps its value.
TEST(Buffers, BorderFillOfASmallerFieldLeavesTheRest) {
    Store s(8, 6);
    s.m.dynamic = 1;
    s.m.frmw[1] = 2;
    s.m.frmh[1] = 1;
    s.allocate();
    PixelPlane& plane = s.m.field_store[0][0];
    for (int r = 0; r < 8; ++r)
        for (int c = 0; c < 12; ++c) plane[r][c] = 100 * r + c;  // 0 .. 711
    s.m.fill_borders(&plane, 1);
    // Window: 4 rows x 7 columns; field samples (1,2)..(2,4).
    const std::vector<std::vector<int32_t>> window = {{202, 202, 202, 203, 204, 204, 204},
                                                      {102, 102, 102, 103, 104, 104, 104},
                                                      {202, 202, 202, 203, 204, 204, 204},
                                                      {102, 102, 102, 103, 104, 104, 104}};
    for (int r = 0; r < 8; ++r) {
        for (int c = 0; c < 12; ++c) {
            const int32_t want = (r < 4 && c < 7) ? window[r][c] : 100 * r + c;
            EXPECT_EQ(plane[r][c], want) << "row " << r << " col " << c;
        }
    }
}

// A one-row field: the top border mirrors the row below the field (row 2,
// which is the bottom border), and the bottom border then copies the new top
// border, so both hold what row 2 held.
TEST(Buffers, BorderFillOfAOneRowField) {
    Store s(3, 4);
    s.m.dynamic = 1;
    s.m.frmh[0] = 0;
    s.allocate();
    PixelPlane& plane = s.m.field_store[0][0];
    for (int r = 0; r < 6; ++r)
        for (int c = 0; c < 7; ++c) plane[r][c] = 10 * r + c;
    s.m.fill_borders(&plane, 0);
    expect_plane(plane, {{22, 22, 22, 23, 24, 24, 24},
                         {12, 12, 12, 13, 14, 14, 14},
                         {22, 22, 22, 23, 24, 24, 24},
                         {30, 31, 32, 33, 34, 35, 36}});
}

uint64_t physical_memory() {
    const long pages = sysconf(_SC_PHYS_PAGES);
    const long size = sysconf(_SC_PAGE_SIZE);
    return pages > 0 && size > 0 ? static_cast<uint64_t>(pages) * static_cast<uint64_t>(size) : 0;
}

// Requests beyond the machine's memory are refused before anything is
// obtained: 2 when the field buffers alone do not fit, 3 when the golden
// buffers do not fit beside them.
TEST(Buffers, RequestsBeyondPhysicalMemoryAreRefused) {
    const uint64_t memory = physical_memory();
    if (memory == 0) GTEST_SKIP() << "physical memory unknown";

    // Field buffers: 2 x 8 planes of 40002 x 40004 samples, about 205 GB.
    Store fields(40000, 40000, 8);
    fields.m.derive_configuration();
    if (memory > 2 * 8 * uint64_t{40002} * 40004 * 4) GTEST_SKIP() << "machine too large";
    EXPECT_EQ(fields.m.allocate_buffers(), 2);
    EXPECT_EQ(fields.m.field_store, nullptr);

    // A square frame whose field buffers take three quarters of memory.
    const int32_t side = static_cast<int32_t>(std::sqrt(static_cast<double>(memory) * 0.75 / 8));
    Store golden(side, side);
    golden.m.derive_configuration();
    EXPECT_EQ(golden.m.allocate_buffers(), 3);
    EXPECT_EQ(golden.m.field_store, nullptr);
}

}  // namespace
