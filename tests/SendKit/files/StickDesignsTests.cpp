#include "SendKit/files/StickDesigns.h"

#include <gtest/gtest.h>

namespace {

StickFileEntry entry(const QString& name, quint32 mtime = 0, quint32 size = 100) {
    return StickFileEntry(name, size, mtime);
}

QStringList namesOf(const QList<StickDesign>& designs) {
    QStringList names;
    for (const StickDesign& design : designs)
        names.append(design.name);
    return names;
}

} // namespace

TEST(StickDesigns, GroupsFilesSharingABaseNameAndSortsNewestFirst) {
    const QList<StickFileEntry> listing{entry(u"ROSE.DST"_qs, 10), entry(u"rose.inf"_qs, 20),
                                        entry(u"Tulip.pes"_qs, 15)};
    const QList<StickDesign> designs = StickDesigns::group(listing);

    ASSERT_EQ(designs.size(), 2);
    EXPECT_EQ(designs[0], (StickDesign{u"ROSE"_qs, {listing[0]}, {listing[1]}}));
    EXPECT_EQ(designs[0].newest(), 20u);
    EXPECT_EQ(designs[1], (StickDesign{u"Tulip"_qs, {listing[2]}, {}}));
    EXPECT_EQ(designs[1].newest(), 15u);
}

TEST(StickDesigns, NamesADesignAfterItsFirstStitchFile) {
    const QList<StickDesign> designs =
        StickDesigns::group({entry(u"rose.inf"_qs), entry(u"ROSE.png"_qs), entry(u"Rose.dst"_qs),
                             entry(u"rOsE.pes"_qs)});
    ASSERT_EQ(designs.size(), 1);
    EXPECT_EQ(designs[0].name, u"Rose"_qs);
    EXPECT_EQ(designs[0].id(), u"rose"_qs);
    EXPECT_EQ(designs[0].fileNames(),
              (QStringList{u"Rose.dst"_qs, u"rOsE.pes"_qs, u"rose.inf"_qs, u"ROSE.png"_qs}));
    EXPECT_FALSE(designs[0].isOrphan());
}

TEST(StickDesigns, KeepsCompanionOnlyDesignsAsOrphans) {
    const QList<StickDesign> designs =
        StickDesigns::group({entry(u"a.png"_qs), entry(u"A.inf"_qs)});
    ASSERT_EQ(designs.size(), 1);
    EXPECT_EQ(designs[0].name, u"a"_qs);
    EXPECT_TRUE(designs[0].stitchFiles.isEmpty());
    EXPECT_EQ(designs[0].companions.size(), 2);
    EXPECT_TRUE(designs[0].isOrphan());
}

TEST(StickDesigns, TreatsUnknownAndMissingExtensionsAsStitchFiles) {
    const QList<StickDesign> designs =
        StickDesigns::group({entry(u"notes.txt"_qs), entry(u"README"_qs), entry(u"x.tar.gz"_qs),
                             entry(u"x.tar.png"_qs)});
    EXPECT_EQ(namesOf(designs), (QStringList{u"notes"_qs, u"README"_qs, u"x.tar"_qs}));
    EXPECT_EQ(designs[0].stitchFiles.size(), 1);
    EXPECT_EQ(designs[1].stitchFiles.size(), 1);
    EXPECT_EQ(designs[2].stitchFiles.size(), 1);
    EXPECT_EQ(designs[2].companions.size(), 1);
}

TEST(StickDesigns, KeepsListingOrderAmongEqualTimes) {
    const QList<StickDesign> designs =
        StickDesigns::group({entry(u"c.dst"_qs, 5), entry(u"a.dst"_qs, 9), entry(u"b.dst"_qs, 5),
                             entry(u"d.dst"_qs, 0), entry(u"C.inf"_qs, 5), entry(u"e.dst"_qs, 9)});
    EXPECT_EQ(namesOf(designs), (QStringList{u"a"_qs, u"e"_qs, u"c"_qs, u"b"_qs, u"d"_qs}));
}

TEST(StickDesigns, NeverDropsOrMergesEntries) {
    // Base names that only look alike stay apart; every entry appears exactly once.
    const QList<StickFileEntry> listing{entry(u"rose.dst"_qs), entry(u"rose .dst"_qs),
                                        entry(u"rosé.dst"_qs), entry(u"rose.dst"_qs),
                                        entry(u".dst"_qs),     entry(u"rose"_qs)};
    const QList<StickDesign> designs = StickDesigns::group(listing);
    EXPECT_EQ(namesOf(designs), (QStringList{u"rose"_qs, u"rose "_qs, u"rosé"_qs, QString()}));
    qsizetype placed = 0;
    for (const StickDesign& design : designs)
        placed += design.files().size();
    EXPECT_EQ(placed, listing.size());
    EXPECT_TRUE(StickDesigns::group({}).isEmpty());
}

TEST(StickDesign, SumsSizesBeyondThirtyTwoBits) {
    const StickDesign design{u"big"_qs,
                             {entry(u"big.dst"_qs, 7, 0xFFFFFFFFu), entry(u"big.pes"_qs, 3, 2)},
                             {entry(u"big.inf"_qs, 11, 0xFFFFFFFFu)}};
    EXPECT_EQ(design.totalSize(), 2 * quint64(0xFFFFFFFFu) + 2);
    EXPECT_EQ(design.newest(), 11u);
    EXPECT_EQ((StickDesign{u"empty"_qs, {}, {}}).newest(), 0u);
}
