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

TEST(StickDesigns, GroupsByBaseNameNamedAfterTheFirstStitchFileNewestFirst) {
    const QList<StickFileEntry> listing{entry(u"rose.inf"_qs, 20),  entry(u"ROSE.png"_qs),
                                        entry(u"Rose.dst"_qs, 10),  entry(u"rOsE.pes"_qs),
                                        entry(u"Tulip.pes"_qs, 15), entry(u"a.png"_qs, 30),
                                        entry(u"A.inf"_qs)};
    const QList<StickDesign> designs = StickDesigns::group(listing);
    ASSERT_EQ(designs.size(), 3);
    EXPECT_EQ(designs[0], (StickDesign{u"a"_qs, {}, {listing[5], listing[6]}}));
    EXPECT_TRUE(designs[0].isOrphan());
    EXPECT_EQ(designs[1],
              (StickDesign{u"Rose"_qs, {listing[2], listing[3]}, {listing[0], listing[1]}}));
    EXPECT_EQ(designs[1].id(), u"rose"_qs);
    EXPECT_EQ(designs[1].fileNames(),
              (QStringList{u"Rose.dst"_qs, u"rOsE.pes"_qs, u"rose.inf"_qs, u"ROSE.png"_qs}));
    EXPECT_FALSE(designs[1].isOrphan());
    EXPECT_EQ(designs[1].newest(), 20u);
    EXPECT_EQ(designs[2], (StickDesign{u"Tulip"_qs, {listing[4]}, {}}));
}

TEST(StickDesigns, TreatsUnknownAndMissingExtensionsAsStitchFiles) {
    const QList<StickFileEntry> listing{entry(u"notes.txt"_qs), entry(u"README"_qs),
                                        entry(u"x.tar.gz"_qs), entry(u"x.tar.png"_qs)};
    const QList<StickDesign> designs = StickDesigns::group(listing);
    EXPECT_EQ(namesOf(designs), (QStringList{u"notes"_qs, u"README"_qs, u"x.tar"_qs}));
    EXPECT_EQ(designs[2], (StickDesign{u"x.tar"_qs, {listing[2]}, {listing[3]}}));
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
}

TEST(StickDesign, SumsSizesBeyondThirtyTwoBits) {
    const StickDesign design{u"big"_qs,
                             {entry(u"big.dst"_qs, 7, 0xFFFFFFFFu), entry(u"big.pes"_qs, 3, 2)},
                             {entry(u"big.inf"_qs, 11, 0xFFFFFFFFu)}};
    EXPECT_EQ(design.totalSize(), 2 * quint64(0xFFFFFFFFu) + 2);
    EXPECT_EQ(design.newest(), 11u);
}
