// Inter method through the model: the worked windows, the threshold order,
// the motion plane with and without 4:2:2 / 4:4:4 reuse, and the row version
// against the per-sample one.
#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "config/model.h"
#include "model/hand_model.h"

namespace veldax_test {
namespace {

// A window of five columns around the centre of a 5 x 3 frame: rows above,
// own and below, in the current and in the other picture.
struct Window {
    std::vector<int32_t> up, mid, down;
    std::vector<int32_t> prev_up, prev_mid, prev_down;
};

const std::vector<int32_t> kZero5 = {0, 0, 0, 0, 0};

// Slow motion: m = 20, B = 95, g = 10, band 85..105, own sample 120 -> 105.
const Window kSlow = {{90, 90, 90, 90, 90},     {100, 100, 120, 100, 100},
                      {100, 100, 100, 100, 100}, {90, 90, 90, 90, 90},
                      {100, 100, 100, 100, 100}, {100, 100, 100, 100, 100}};
// Medium motion: only the own row differs (by 50 in each of three columns):
// m = 150, T = avg(110, 60) = 85, mid3 = 85, mid5 = median(50, 90, 60, 80, 85)
// = 80, result median(85, 80, 110) = 85.  The other rules on the same
// window: weave 110; slow g = 40, band 30..110 -> 110; fast: Sr = 60 is the
// cheapest cost, v = avg(60, 80) = 70, g = max(50, 50, 0, 25) = 50, band
// 20..120 -> 70.
const Window kMedium = {{30, 40, 50, 60, 70},   {90, 100, 110, 120, 130},
                        {70, 80, 90, 100, 110}, {30, 40, 50, 60, 70},
                        {40, 50, 60, 70, 80},   {70, 80, 90, 100, 110}};
// Fast motion on the first picture (other picture zero): m = 850, B = 105,
// v = 200, g = max(10, 10, 105, 100) = 105, band 0..210 -> 200.
const Window kFirstPicture = {{10, 10, 10, 200, 200}, {10, 10, 10, 10, 10},
                              {10, 200, 200, 200, 200}, kZero5, kZero5, kZero5};
// Identical pictures: m = 0, slow rule with g = 0 gives B = 100; with
// th0 = 1 the weave rule returns the own sample 120.
const Window kStill = {{100, 100, 100, 100, 100}, {100, 100, 120, 100, 100},
                       {100, 100, 100, 100, 100}, {100, 100, 100, 100, 100},
                       {100, 100, 120, 100, 100}, {100, 100, 100, 100, 100}};

void load(HandModel& h, int32_t plane, const Window& w) {
    h.set_row(0, plane, 0, w.up);
    h.set_row(0, plane, 1, w.mid);
    h.set_row(0, plane, 2, w.down);
    h.set_row(1, plane, 0, w.prev_up);
    h.set_row(1, plane, 1, w.prev_mid);
    h.set_row(1, plane, 2, w.prev_down);
}

TEST(InterSample, WorkedWindowsAndThresholdOrder) {
    struct Case {
        const char* name;
        const Window* window;
        int32_t th0, th1, th2;
        int32_t motion, expected;
    };
    const Case cases[] = {
        {"slow", &kSlow, 0, 90, 180, 20, 105},
        {"medium", &kMedium, 0, 90, 180, 150, 85},
        {"fast on first picture", &kFirstPicture, 0, 90, 180, 850, 200},
        {"still, default th0", &kStill, 0, 90, 180, 0, 100},
        {"still, th0 = 1 weaves", &kStill, 1, 90, 180, 0, 120},
        {"m equal to th1 takes medium", &kMedium, 0, 150, 180, 150, 85},
        {"m just below th1 takes slow", &kMedium, 0, 151, 180, 150, 110},
        {"m equal to th2 takes fast", &kMedium, 0, 90, 150, 150, 70},
        {"m just below th2 takes medium", &kMedium, 0, 90, 151, 150, 85},
        // Thresholds that do not ascend are used as given, in order.
        {"th1 above th2: slow", &kMedium, 0, 200, 100, 150, 110},
        {"th0 above the others: weave", &kMedium, 160, 10, 20, 150, 110},
        {"th2 below th1, m past both: fast", &kMedium, 0, 100, 50, 150, 70},
        {"negative thresholds: fast", &kMedium, -5, -3, -1, 150, 70},
    };
    for (const auto& tc : cases) {
        auto h = make_hand_model(5, 3, 1);
        DeinterlacerModel& m = h->m;
        load(*h, 0, *tc.window);
        m.th0_now = tc.th0;
        m.th1_now = tc.th1;
        m.th2_now = tc.th2;
        const int32_t r = m.pad_top + 1;
        (*m.motion_store)[1][2] = -1;
        EXPECT_EQ(m.inter_sample(h->field(0, 0), h->field(1, 0), r, m.pad_left + 2, 0),
                  tc.expected)
            << tc.name;
        EXPECT_EQ((*m.motion_store)[1][2], tc.motion) << tc.name;

        (*m.motion_store)[1][2] = -1;
        std::vector<int32_t> out(5, -1);
        m.inter_line(h->field(0, 0), h->field(1, 0), r, 0, 5, out.data());
        EXPECT_EQ(out[2], tc.expected) << tc.name;
        EXPECT_EQ((*m.motion_store)[1][2], tc.motion) << tc.name;
    }
}

// Three planes: plane 0 moves fast (m = 850), plane 1 has the medium window
// (own m = 150), plane 2 the slow one (own m = 20).  Reusing plane 0's
// motion, plane 1 takes the fast rule (70) and plane 2 too: B = 95, v = 95,
// g = max(20, 0, 0, (25 + 5 + 1) / 2) = 20, band 75..115 -> 95.
TEST(InterSample, ChromaPlanesReusePlaneZeroMotionOnlyWithTheFlags) {
    struct Case {
        const char* name;
        uint8_t ycbcr422, ycbcr444;
        int32_t expected[3];
        int32_t stored_motion;
    };
    const Case cases[] = {
        {"no flag: own motion", 0, 0, {200, 85, 105}, 20},
        {"4:2:2 reuses plane 0", 1, 0, {200, 70, 95}, 850},
        {"4:4:4 reuses plane 0", 0, 1, {200, 70, 95}, 850},
    };
    for (const auto& tc : cases) {
        for (bool rows : {false, true}) {
            auto h = make_hand_model(5, 3, 3);
            DeinterlacerModel& m = h->m;
            m.ycbcr422 = tc.ycbcr422;
            m.ycbcr444 = tc.ycbcr444;
            load(*h, 0, kFirstPicture);
            load(*h, 1, kMedium);
            load(*h, 2, kSlow);
            const int32_t r = m.pad_top + 1;
            for (int32_t p = 0; p < 3; ++p) {
                int32_t got;
                if (rows) {
                    std::vector<int32_t> out(5, -1);
                    m.inter_line(h->field(0, p), h->field(1, p), r, p, 5, out.data());
                    got = out[2];
                } else {
                    got = m.inter_sample(h->field(0, p), h->field(1, p), r, m.pad_left + 2, p);
                }
                EXPECT_EQ(got, tc.expected[p]) << tc.name << " plane " << p << " rows " << rows;
            }
            EXPECT_EQ((*m.motion_store)[1][2], tc.stored_motion) << tc.name << " rows " << rows;
        }
    }
}

// A still picture: whatever the previous picture, every rule returns the
// flat value (m = 9|s - t|; slow and fast bands are centred on s, the medium
// medians include s twice).
TEST(InterSample, FlatCurrentPictureGivesItsValue) {
    std::mt19937 rng(99);
    auto h = make_hand_model(5, 3, 1, 16);
    DeinterlacerModel& m = h->m;
    for (int i = 0; i < 2000; ++i) {
        const int32_t s = static_cast<int32_t>(rng() % 65536);
        const int32_t t = static_cast<int32_t>(rng() % 65536);
        const std::vector<int32_t> cur(5, s), prev(5, t);
        load(*h, 0, {cur, cur, cur, prev, prev, prev});
        m.th0_now = 0;
        m.th1_now = static_cast<int32_t>(rng() % 300000);
        m.th2_now = static_cast<int32_t>(rng() % 600000);
        ASSERT_EQ(m.inter_sample(h->field(0, 0), h->field(1, 0), m.pad_top + 1, m.pad_left + 2, 0),
                  s)
            << s << " " << t;
    }
}

// Runs one pass over every row of every plane, per sample or per row, and
// returns the outputs; the motion plane is left as the pass leaves it.
std::vector<int32_t> run_pass(DeinterlacerModel& m, bool rows) {
    std::vector<int32_t> result;
    std::vector<int32_t> out(static_cast<size_t>(m.active_width));
    for (int32_t p = 0; p < m.num_plane; ++p) {
        const PixelPlane& cur = m.field_store[0][p];
        const PixelPlane& other = m.field_store[1][p];
        for (int32_t i = 0; i < m.active_height; ++i) {
            const int32_t r = m.pad_top + i;
            if (rows) {
                std::fill(out.begin(), out.end(), -1);
                m.inter_line(cur, other, r, p, m.active_width, out.data());
            } else {
                for (int32_t j = 0; j < m.active_width; ++j)
                    out[j] = m.inter_sample(cur, other, r, m.pad_left + j, p);
            }
            result.insert(result.end(), out.begin(), out.end());
        }
    }
    return result;
}

std::vector<int32_t> motion_plane(const DeinterlacerModel& m) {
    const PixelPlane& mp = *m.motion_store;
    return std::vector<int32_t>(mp.data, mp.data + int64_t{mp.height} * mp.width);
}

// The row version against the per-sample version: every output sample and
// the motion plane after a full pass of one or three planes, for random and
// extreme pictures, every sample width, with and without motion reuse, and
// thresholds that reach every rule (also out of order).
TEST(InterLine, MatchesPerSampleVersionEverywhere) {
    std::mt19937 rng(4321);
    const int32_t widths[] = {1, 2, 3, 5, 17, 64};
    const int32_t dwidths[] = {1, 8, 10, 16};
    struct Flags {
        int32_t planes;
        uint8_t ycbcr422, ycbcr444;
    };
    const Flags flag_sets[] = {{1, 0, 0}, {3, 0, 0}, {3, 1, 0}, {3, 0, 1}};
    int64_t compared = 0;
    for (int32_t width : widths)
        for (int32_t dwidth : dwidths)
            for (const Flags& flags : flag_sets)
                for (Pattern current : kAllPatterns) {
                    auto h = make_hand_model(width, 4, flags.planes, dwidth);
                    DeinterlacerModel& m = h->m;
                    m.ycbcr422 = flags.ycbcr422;
                    m.ycbcr444 = flags.ycbcr444;
                    const int32_t mx = m.max_value;
                    for (int32_t p = 0; p < flags.planes; ++p) {
                        fill_plane(m, h->field(0, p), current, rng);
                        // The previous picture: the same one with a few
                        // samples changed, or an unrelated pattern.
                        if (rng() % 2) {
                            fill_plane(m, h->field(1, p), kAllPatterns[rng() % 6], rng);
                        } else {
                            for (int32_t y = 0; y < m.padded_height; ++y)
                                for (int32_t x = 0; x < m.padded_width; ++x)
                                    h->field(1, p)[y][x] =
                                        (rng() % 5 == 0) ? pattern_sample(Pattern::kRandom, rng, mx)
                                                         : h->field(0, p)[y][x];
                        }
                    }
                    m.fill_borders(m.field_store[0], 0);
                    m.fill_borders(m.field_store[1], 0);

                    const int32_t threshold_sets[][3] = {
                        {0, 90, 180},
                        {0, mx, 3 * mx},
                        {mx / 2, 2 * mx, 5 * mx},
                        {0, 4 * mx, 2 * mx},
                        {3 * mx, mx, 2 * mx},
                        {-1, -7, 9 * mx + 1},
                        {static_cast<int32_t>(rng() % (9u * mx + 2)),
                         static_cast<int32_t>(rng() % (9u * mx + 2)),
                         static_cast<int32_t>(rng() % (9u * mx + 2))},
                    };
                    for (const auto& th : threshold_sets) {
                        m.th0_now = th[0];
                        m.th1_now = th[1];
                        m.th2_now = th[2];
                        std::fill(m.motion_store->data,
                                  m.motion_store->data + int64_t{m.active_height} * width, -77);
                        const std::vector<int32_t> reference = run_pass(m, false);
                        const std::vector<int32_t> reference_motion = motion_plane(m);
                        std::fill(m.motion_store->data,
                                  m.motion_store->data + int64_t{m.active_height} * width, -99);
                        const std::vector<int32_t> fast = run_pass(m, true);
                        ASSERT_EQ(fast, reference)
                            << "width " << width << " dwidth " << dwidth << " planes "
                            << flags.planes << " 422 " << int(flags.ycbcr422) << " 444 "
                            << int(flags.ycbcr444) << " th " << th[0] << "," << th[1] << ","
                            << th[2];
                        ASSERT_EQ(motion_plane(m), reference_motion) << "width " << width;
                        compared += static_cast<int64_t>(fast.size());
                    }
                }
    EXPECT_GT(compared, 0);
}

}  // namespace
}  // namespace veldax_test
