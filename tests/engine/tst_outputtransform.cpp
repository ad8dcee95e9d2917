// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/OutputTransform.h"

#include <QRandomGenerator>
#include <QTest>
#include <limits>

using State = OutputTransform::State;
using Row = std::array<float, 4>;
using Resolution = CaptureManager::OutputResolution;

Q_DECLARE_METATYPE(State)
Q_DECLARE_METATYPE(Row)

namespace {

constexpr int64_t maxI64 = std::numeric_limits<int64_t>::max();
constexpr int64_t minI64 = std::numeric_limits<int64_t>::min();

bool rowsMatch(const Row &actual, const Row &expected)
{
    for (size_t i = 0; i < 4; ++i) {
        if (std::abs(actual[i] - expected[i]) > 1e-6f)
            return false;
    }
    return true;
}

QByteArray describe(const Row &row)
{
    return QStringLiteral("(%1, %2, %3, %4)")
        .arg(row[0], 0, 'g', 9)
        .arg(row[1], 0, 'g', 9)
        .arg(row[2], 0, 'g', 9)
        .arg(row[3], 0, 'g', 9)
        .toUtf8();
}

State crops(bool rotation180, bool flip, int64_t top, int64_t left, int64_t right, int64_t bottom)
{
    return State{rotation180, flip, top, left, right, bottom};
}

} // namespace

class TestOutputTransform : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void uvRows_data()
    {
        QTest::addColumn<State>("state");
        QTest::addColumn<qint64>("inW");
        QTest::addColumn<qint64>("inH");
        QTest::addColumn<qint64>("outW");
        QTest::addColumn<qint64>("outH");
        QTest::addColumn<Row>("row0");
        QTest::addColumn<Row>("row1");

        QTest::addRow("window defaults with a crop")
            << crops(true, true, 100, 200, 0, 50) << qint64(1920) << qint64(1080) << qint64(1720)
            << qint64(930) << Row{0.8958333f, 0, 0.1041667f, 0}
            << Row{0, -0.8611111f, 0.9537037f, 0};
        QTest::addRow("crops shrunk in proportion")
            << crops(false, false, 30, 80, 40, 30) << qint64(100) << qint64(50) << qint64(9)
            << qint64(8) << Row{0.09f, 0, 0.61f, 0} << Row{0, 0.16f, 0.42f, 0};
        QTest::addRow("identity") << crops(false, false, 0, 0, 0, 0) << qint64(1920) << qint64(1080)
                                  << qint64(1920) << qint64(1080) << Row{1, 0, 0, 0}
                                  << Row{0, 1, 0, 0};
        QTest::addRow("rotation alone")
            << crops(true, false, 0, 0, 0, 0) << qint64(640) << qint64(360) << qint64(640)
            << qint64(360) << Row{-1, 0, 1, 0} << Row{0, -1, 1, 0};
        QTest::addRow("rotation and mirror: a vertical flip")
            << crops(true, true, 0, 0, 0, 0) << qint64(640) << qint64(360) << qint64(640)
            << qint64(360) << Row{1, 0, 0, 0} << Row{0, -1, 1, 0};
        QTest::addRow("mirror alone, left crop")
            << crops(false, true, 0, 10, 0, 0) << qint64(1280) << qint64(720) << qint64(1270)
            << qint64(720) << Row{-0.9921875f, 0, 0.9921875f, 0} << Row{0, 1, 0, 0};
        QTest::addRow("every edge beyond the frame: 8 x 8 remain")
            << crops(false, false, 500, 500, 500, 500) << qint64(1000) << qint64(800) << qint64(8)
            << qint64(8) << Row{0.008f, 0, 0.496f, 0} << Row{0, 0.01f, 0.495f, 0};
        QTest::addRow("source smaller than 8 x 8: crops ignored, stretched")
            << crops(false, false, 2, 1, 1, 2) << qint64(4) << qint64(3) << qint64(8) << qint64(8)
            << Row{1, 0, 0, 0} << Row{0, 1, 0, 0};
        QTest::addRow("tiny source keeps the mirrors")
            << crops(true, false, 2, 1, 1, 2) << qint64(4) << qint64(3) << qint64(8) << qint64(8)
            << Row{-1, 0, 1, 0} << Row{0, -1, 1, 0};
        QTest::addRow("one pixel") << crops(false, false, 9, 9, 9, 9) << qint64(1) << qint64(1)
                                   << qint64(8) << qint64(8) << Row{1, 0, 0, 0} << Row{0, 1, 0, 0};
        QTest::addRow("left crop of width - 8 is kept whole")
            << crops(false, false, 0, 1912, 0, 0) << qint64(1920) << qint64(1080) << qint64(8)
            << qint64(1080) << Row{8.0f / 1920.0f, 0, 1912.0f / 1920.0f, 0} << Row{0, 1, 0, 0};
        QTest::addRow("one crop above the limit is cut to it")
            << crops(false, false, 0, 5000, 0, 0) << qint64(1920) << qint64(1080) << qint64(8)
            << qint64(1080) << Row{8.0f / 1920.0f, 0, 1912.0f / 1920.0f, 0} << Row{0, 1, 0, 0};
        QTest::addRow("exactly 8 wide: no crop possible")
            << crops(false, false, 0, 3, 3, 0) << qint64(8) << qint64(8) << qint64(8) << qint64(8)
            << Row{1, 0, 0, 0} << Row{0, 1, 0, 0};
        QTest::addRow("largest crops")
            << crops(false, false, maxI64, maxI64, maxI64, maxI64) << qint64(1920) << qint64(1080)
            << qint64(8) << qint64(8) << Row{8.0f / 1920.0f, 0, 956.0f / 1920.0f, 0}
            << Row{0, 8.0f / 1080.0f, 536.0f / 1080.0f, 0};
        QTest::addRow("smallest crops act as none")
            << crops(true, true, minI64, minI64, minI64, minI64) << qint64(1920) << qint64(1080)
            << qint64(1920) << qint64(1080) << Row{1, 0, 0, 0} << Row{0, -1, 1, 0};
        QTest::addRow("largest frame, largest crops")
            << crops(false, false, maxI64, maxI64, maxI64, maxI64) << qint64(maxI64)
            << qint64(maxI64) << qint64(8) << qint64(8) << Row{0, 0, 0.5f, 0} << Row{0, 0, 0.5f, 0};
        QTest::addRow("largest frame, no crop")
            << crops(false, false, 0, 0, 0, 0) << qint64(maxI64) << qint64(maxI64) << qint64(maxI64)
            << qint64(maxI64) << Row{1, 0, 0, 0} << Row{0, 1, 0, 0};
    }

    void uvRows()
    {
        QFETCH(State, state);
        QFETCH(qint64, inW);
        QFETCH(qint64, inH);
        QFETCH(qint64, outW);
        QFETCH(qint64, outH);
        QFETCH(Row, row0);
        QFETCH(Row, row1);

        const auto result = OutputTransform::uvRows(state, inW, inH);
        QCOMPARE(result.outW, outW);
        QCOMPARE(result.outH, outH);
        QVERIFY2(rowsMatch(result.row0, row0), describe(result.row0));
        QVERIFY2(rowsMatch(result.row1, row1), describe(result.row1));
    }

    void negativeCropsActAsZero()
    {
        const auto negative = OutputTransform::uvRows(crops(false, true, -5, 7, -3, 9), 640, 360);
        const auto zero = OutputTransform::uvRows(crops(false, true, 0, 7, 0, 9), 640, 360);
        QCOMPARE(negative.outW, zero.outW);
        QCOMPARE(negative.outH, zero.outH);
        QCOMPARE(negative.row0, zero.row0);
        QCOMPARE(negative.row1, zero.row1);
    }

    void cropsFollowThePublishedPicture_data()
    {
        QTest::addColumn<bool>("rotation180");
        QTest::addColumn<bool>("flip");
        QTest::addRow("identity") << false << false;
        QTest::addRow("mirror") << false << true;
        QTest::addRow("rotation") << true << false;
        QTest::addRow("rotation and mirror") << true << true;
    }

    // Whatever the mirrors, the left crop removes the output's first columns and the bottom crop
    // its first rows: the output's first column samples the source column that the left crop
    // leaves outermost on that side, and so on.
    void cropsFollowThePublishedPicture()
    {
        QFETCH(bool, rotation180);
        QFETCH(bool, flip);
        const int64_t inW = 1000, inH = 500;
        const auto plain = OutputTransform::uvRows(crops(rotation180, flip, 0, 0, 0, 0), inW, inH);
        const auto cropped =
            OutputTransform::uvRows(crops(rotation180, flip, 40, 100, 200, 20), inW, inH);
        QCOMPARE(cropped.outW, 700);
        QCOMPARE(cropped.outH, 440);

        // u' at the output's first and last column, before and after the crop.
        auto uAt = [](const OutputTransform::Result &r, float u) {
            return r.row0[0] * u + r.row0[2];
        };
        auto vAt = [](const OutputTransform::Result &r, float v) {
            return r.row1[1] * v + r.row1[2];
        };
        const float plainStep = (uAt(plain, 1) - uAt(plain, 0)); // +1 or -1
        QVERIFY(qFuzzyCompare(uAt(cropped, 0), uAt(plain, 0) + plainStep * 0.1f));
        QVERIFY(qFuzzyCompare(uAt(cropped, 1), uAt(plain, 1) - plainStep * 0.2f));
        const float plainVStep = (vAt(plain, 1) - vAt(plain, 0));
        QVERIFY(qFuzzyCompare(1 + vAt(cropped, 0), 1 + vAt(plain, 0) + plainVStep * 0.04f));
        QVERIFY(qFuzzyCompare(1 + vAt(cropped, 1), 1 + vAt(plain, 1) - plainVStep * 0.08f));
    }

    // For any frame and crop: at least 8 x 8, no more than the frame (unless it is smaller than
    // 8), the kept window inside the source, and as many source pixels kept as published.
    void contractHoldsForRandomInputs()
    {
        QRandomGenerator random(20261211);
        auto anyCrop = [&random]() -> int64_t {
            switch (random.bounded(4)) {
            case 0:
                return int64_t(random.generate64());
            case 1:
                return random.bounded(-50, 50);
            default:
                return random.bounded(0, 5000);
            }
        };
        for (int i = 0; i < 200000; ++i) {
            const int64_t inW = random.bounded(1, 8000);
            const int64_t inH = random.bounded(1, 8000);
            const State state{random.bounded(2) == 1,
                              random.bounded(2) == 1,
                              anyCrop(),
                              anyCrop(),
                              anyCrop(),
                              anyCrop()};
            const auto r = OutputTransform::uvRows(state, inW, inH);
            QVERIFY(r.outW >= 8 && r.outH >= 8);
            QVERIFY(r.outW <= std::max<int64_t>(inW, 8));
            QVERIFY(r.outH <= std::max<int64_t>(inH, 8));
            for (const float u : {0.0f, 1.0f}) {
                const float su = r.row0[0] * u + r.row0[2];
                const float sv = r.row1[1] * u + r.row1[2];
                QVERIFY2(su >= -1e-5f && su <= 1 + 1e-5f, qPrintable(QString::number(su)));
                QVERIFY2(sv >= -1e-5f && sv <= 1 + 1e-5f, qPrintable(QString::number(sv)));
            }
            QCOMPARE(r.row0[1], 0.0f);
            QCOMPARE(r.row1[0], 0.0f);
            QCOMPARE(r.row0[3], 0.0f);
            QCOMPARE(r.row1[3], 0.0f);
            if (inW >= 8)
                QVERIFY(std::abs(std::abs(r.row0[0]) * float(inW) - float(r.outW)) < 0.01f * inW);
            if (inH >= 8)
                QVERIFY(std::abs(std::abs(r.row1[1]) * float(inH) - float(r.outH)) < 0.01f * inH);
        }
    }

    void requestedSize_data()
    {
        QTest::addColumn<Resolution>("resolution");
        QTest::addColumn<qint64>("customWidth");
        QTest::addColumn<qint64>("customHeight");
        QTest::addColumn<qint64>("width"); // 0: nothing requested
        QTest::addColumn<qint64>("height");
        auto row = [](const char *name, Resolution r, qint64 cw, qint64 ch, qint64 w, qint64 h) {
            QTest::addRow("%s", name) << r << cw << ch << w << h;
        };
        row("native", Resolution::native, 1920, 1080, 0, 0);
        row("640", Resolution::r640x360, 1920, 1080, 640, 360);
        row("960", Resolution::r960x540, 1920, 1080, 960, 540);
        row("1280", Resolution::r1280x720, 1920, 1080, 1280, 720);
        row("1600", Resolution::r1600x900, 1920, 1080, 1600, 900);
        row("1920", Resolution::r1920x1080, 1, 1, 1920, 1080);
        row("2560", Resolution::r2560x1440, 1920, 1080, 2560, 1440);
        row("3840", Resolution::r3840x2160, 1920, 1080, 3840, 2160);
        row("custom", Resolution::custom, 1001, 333, 1001, 333);
        row("custom unbounded", Resolution::custom, 100000, 7, 100000, 7);
        row("custom 1 x 1", Resolution::custom, 1, 1, 1, 1);
        row("custom zero width", Resolution::custom, 0, 1080, 0, 0);
        row("custom negative height", Resolution::custom, 1920, -1, 0, 0);
    }

    void requestedSize()
    {
        QFETCH(Resolution, resolution);
        QFETCH(qint64, customWidth);
        QFETCH(qint64, customHeight);
        QFETCH(qint64, width);
        QFETCH(qint64, height);
        const auto size = OutputTransform::requestedSize(resolution, customWidth, customHeight);
        if (width == 0) {
            QVERIFY(!size);
        } else {
            QVERIFY(size);
            QCOMPARE(size->width, width);
            QCOMPARE(size->height, height);
        }
    }
};

QTEST_GUILESS_MAIN(TestOutputTransform)
#include "tst_outputtransform.moc"
