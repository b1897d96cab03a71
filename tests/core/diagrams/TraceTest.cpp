#include <gtest/gtest.h>

#include <filesystem>

#include "common/FileSystem.h"
#include "diagrams/TInfoFigures.h"
#include "diagrams/TPunktListe.h"

namespace qz::diagrams {
namespace {

TEST(TPunktListe, IndexedAccessWalksFromTheCursorBothWays) {
    TPunktListe list;
    EXPECT_EQ(list.At(0), nullptr);
    for (int i = 0; i < 10; ++i) list.Append(i * 0.5L, i * i);
    EXPECT_EQ(list.Count(), 10);
    EXPECT_EQ(list.Cursor(), list.Last());
    EXPECT_EQ(list.At(3)->y, 9);
    EXPECT_EQ(list.Cursor()->index, 3);
    EXPECT_EQ(list.At(7)->x, 3.5L);
    EXPECT_EQ(list.At(0), list.First());
    EXPECT_EQ(list.At(-1), nullptr);
    EXPECT_EQ(list.At(10), nullptr);
    EXPECT_EQ(list.Cursor(), list.First()) << "a miss leaves the cursor";
    for (TPunkt* p = list.First(); p->next; p = p->next) EXPECT_EQ(p->next->previous, p);
}

TEST(TPunktListe, AfterClearNewSamplesStartAtIndexZero) {
    TPunktListe list;
    list.Append(1, 1);
    list.Append(2, 2);
    list.Clear();
    EXPECT_EQ(list.Count(), 0);
    EXPECT_EQ(list.First(), nullptr);
    EXPECT_EQ(list.At(0), nullptr);
    list.Append(3, 5);
    EXPECT_EQ(list.At(0)->index, 0);
    EXPECT_EQ(list.At(0)->previous, nullptr);
}

TEST(TInfoFigures, EmptyTraceKeepsTheTextsAndOthersShowTheBorder) {
    TPunktListe list;
    TInfoFigures info;
    info.Update(list);
    EXPECT_EQ(info.points, "0 Points");
    EXPECT_EQ(info.left, "Left");
    list.Append(0.25L, 2);
    info.Update(list);
    EXPECT_EQ(info.points, "1");
    EXPECT_EQ(info.left, "0,250");
    EXPECT_EQ(info.right, info.left);
    EXPECT_EQ(info.bottom, "2,000");
    EXPECT_EQ(info.top, info.bottom);
    list.Append(1, -3.5L);
    list.Append(2, 12.34567L);
    info.Update(list);
    EXPECT_EQ(info.points, "3");
    EXPECT_EQ(info.right, "2,000");
    EXPECT_EQ(info.bottom, "-3,500");
    EXPECT_EQ(info.top, "12,346");
    list.Clear();
    info.Update(list);
    EXPECT_EQ(info.points, "3");
}

TEST(TraceExport, LinesOfTimeAndValueWithTheDecimalComma) {
    TPunktListe list;
    EXPECT_EQ(ExportValues(list), "");
    list.Append(0, 1);
    list.Append(0.1L, 2.5L);
    list.Append(1e-7L, 1.0L / 3);
    EXPECT_EQ(ExportValues(list), "0;1\r\n0,1;2,5\r\n1E-7;0,333333333333333\r\n");

    const auto path = std::filesystem::temp_directory_path() / "quenzor_trace_export_test.txt";
    ASSERT_TRUE(SaveValues(list, path.string()));
    const auto bytes = fs::ReadFile(path.string());
    ASSERT_TRUE(bytes);
    EXPECT_EQ(std::string(bytes->begin(), bytes->end()), ExportValues(list));
    std::filesystem::remove(path);
}

} // namespace
} // namespace qz::diagrams
