// Reading the waves of a level file, and putting them back for a restart.
#include "Source/TD/World/TDWaves.h"
#include "tests/Support/LogCapture.h"

#include <gtest/gtest.h>
#include <tinyxml2.h>

TEST(WavesLoad, ReadsWavesAndEntries)
{
    tinyxml2::XMLDocument doc;
    doc.Parse("<waves timeout='2.7'>"
              "<wave timeout='5' spawn='3' wipeAward='20' scale='0.5'><e id='11' upgrade='2' x='90' y='-97.5'/>"
              "<other id='39'/></wave>"
              "<wave spawn='-1' linked='0' scale='0'/>"             // no entries: dropped
              "<notawave spawn='4' scale='-1'><e id='0'/></notawave>" // any sibling after the first wave counts
              "</waves>");
    LogCapture log;
    TDWaves waves;
    waves.load(doc.FirstChildElement());
    EXPECT_EQ(log.Count(L"LOADED ENEMY WAVE=(timeout=5, spawner=3)"), 1);
    EXPECT_EQ(log.Count(L"LOADED ENEMY WAVE=(timeout=0, spawner=-1)"), 1);
    EXPECT_EQ(log.Count(L"LOADED ENEMY WAVE="), 3);
    ASSERT_EQ(waves.protos.size(), 2u);

    const TDWaveProto* first = waves.protos[0];
    EXPECT_EQ(first->timeout, 7) << "the waves' timeout floored and added";
    EXPECT_EQ(first->spawn, 3);
    EXPECT_EQ(first->wipeAward, 20);
    EXPECT_EQ(first->linked, -1);
    EXPECT_EQ(first->scale, 0.5f);
    ASSERT_EQ(first->entries.size(), 2u);
    EXPECT_EQ(first->entries[0]->id, 11);
    EXPECT_EQ(first->entries[0]->upgrade, 2);
    EXPECT_EQ(first->entries[0]->x, 90.0f);
    EXPECT_EQ(first->entries[0]->y, -97.5f);
    EXPECT_EQ(first->entries[0]->state, -1);
    EXPECT_EQ(first->entries[0]->owner, first);
    EXPECT_EQ(first->entries[1]->id, 39) << "entries of any element name";
    EXPECT_EQ(waves.protos[1]->scale, -1.0f) << "a negative scale is kept";

    const std::vector<TrackRequest> requests = waves.trackRequests();
    ASSERT_EQ(requests.size(), 3u);
    EXPECT_EQ(requests[0].spawnId, 3);
    EXPECT_EQ(requests[0].y, -97.5f);

    // A restart drops the entries added during play and rewinds the others.
    TDWaveProto* proto = waves.protos[0];
    auto* added = new TDWaveEnemy(proto);
    added->x = -1.0f;
    proto->entries.push_back(added);
    proto->entries[0]->state = 2;
    proto->entries[0]->spawned = 1;
    proto->state = 1;
    waves.reset();
    EXPECT_EQ(proto->entries.size(), 2u);
    EXPECT_EQ(proto->entries[0]->state, -1);
    EXPECT_EQ(proto->entries[0]->spawned, 0);
    EXPECT_EQ(proto->state, 0);

    // Loading nothing leaves no waves.
    waves.load(nullptr);
    EXPECT_TRUE(waves.protos.empty());
}
