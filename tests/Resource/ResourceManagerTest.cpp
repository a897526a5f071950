#include "Core/Resource/ResourceManager.h"
#include "tests/Support/LogCapture.h"

#include <gtest/gtest.h>

namespace {

using resource::ResourceHandle;
using resource::ResourceManager;

// What happened to the test resources, shared by every instance.
struct Journal {
    int loads = 0;
    int unloads = 0;
    int deletes = 0;
    GEResultEnum loadResult = GE_OK;
    GEResultEnum unloadResult = GE_OK;
    u32 initResult = 0;
};
Journal gJournal;

class Sample : public resource::Resource {
public:
    ~Sample() override { ++gJournal.deletes; }
    u32 Release() override { return ResourceManager::Free<Sample>(this); }
    u32 Init() override { return gJournal.initResult; }
    GEResultEnum DoLoad() override
    {
        ++gJournal.loads;
        return gJournal.loadResult;
    }
    GEResultEnum DoUnLoad() override
    {
        ++gJournal.unloads;
        return gJournal.unloadResult;
    }
};

// A second type has a cache of its own.
class OtherSample : public Sample {
public:
    u32 Release() override { return ResourceManager::Free<OtherSample>(this); }
};

class ResourceManagerTest : public ::testing::Test {
protected:
    void SetUp() override { gJournal = Journal{}; }
    void TearDown() override
    {
        EXPECT_TRUE(ResourceManager::GetMap<Sample>().empty()) << "a test leaked a handle";
    }
};

TEST_F(ResourceManagerTest, OneObjectPerPathUnloadedAndDeletedWithItsLastHandle)
{
    ResourceHandle<Sample> first = ResourceManager::Get<Sample>(L"td/a.png");
    ResourceHandle<Sample> second = ResourceManager::Instance()->Get<Sample>(L"td/a.png");
    ASSERT_TRUE(first);
    EXPECT_EQ(first.Get(), second.Get());
    EXPECT_EQ(first->name, L"td/a.png");
    EXPECT_EQ(first.UseCount(), 2);
    EXPECT_FALSE(first->IsLoaded()) << "Get never loads";
    EXPECT_EQ(first->Load(), GE_OK);

    first.Reset();
    EXPECT_FALSE(first);
    EXPECT_EQ(second.UseCount(), 1);
    EXPECT_EQ(gJournal.deletes, 0);

    second.Reset();
    EXPECT_EQ(gJournal.unloads, 1);
    EXPECT_EQ(gJournal.deletes, 1);
    EXPECT_TRUE(ResourceManager::GetMap<Sample>().empty());

    ResourceHandle<Sample> fresh = ResourceManager::Get<Sample>(L"td/a.png");
    EXPECT_FALSE(fresh->IsLoaded()) << "a later Get builds a new object";
}

TEST_F(ResourceManagerTest, CopiesMovesAndScopesCountTheSameCell)
{
    ResourceHandle<Sample> handle = ResourceManager::Get<Sample>(L"x");
    {
        ResourceHandle<Sample> copy = handle;
        ResourceHandle<Sample> assigned;
        assigned = copy;
        EXPECT_EQ(handle.UseCount(), 3);
        ResourceHandle<Sample> moved = std::move(assigned);
        EXPECT_EQ(handle.UseCount(), 3);
        ResourceHandle<Sample>& alias = moved;
        moved = alias; // self-assignment keeps the count
        EXPECT_EQ(handle.UseCount(), 3);
    }
    EXPECT_EQ(handle.UseCount(), 1);
    EXPECT_EQ(gJournal.deletes, 0);
    handle = ResourceHandle<Sample>();
    EXPECT_EQ(gJournal.deletes, 1);
    EXPECT_EQ(gJournal.unloads, 0) << "never loaded, never unloaded";

    ResourceHandle<Sample> empty;
    empty.Reset();
    empty.Reset();
    EXPECT_EQ(empty.UseCount(), 0);
}

TEST_F(ResourceManagerTest, PathsAreExactAndTypesHaveTheirOwnCaches)
{
    ResourceHandle<Sample> lower = ResourceManager::Get<Sample>(L"td/a.png");
    ResourceHandle<Sample> upper = ResourceManager::Get<Sample>(L"td/A.png");
    ResourceHandle<Sample> backslash = ResourceManager::Get<Sample>(L"td\\a.png");
    ResourceHandle<OtherSample> other = ResourceManager::Get<OtherSample>(L"td/a.png");
    EXPECT_NE(lower.Get(), upper.Get());
    EXPECT_NE(lower.Get(), backslash.Get());
    EXPECT_NE(static_cast<Sample*>(other.Get()), lower.Get());
    EXPECT_EQ(ResourceManager::GetMap<Sample>().size(), 3u);
    EXPECT_EQ(ResourceManager::GetMap<OtherSample>().size(), 1u);
}

TEST_F(ResourceManagerTest, LoadAndUnloadTwiceWarnOnce)
{
    ResourceHandle<Sample> handle = ResourceManager::Get<Sample>(L"fonts/big.fnt");
    LogCapture log;
    EXPECT_EQ(handle->Load(), GE_OK);
    EXPECT_EQ(handle->Load(), GE_OK);
    EXPECT_EQ(gJournal.loads, 1);
    EXPECT_EQ(log.Count(L"Trying to Load already loaded resource 'fonts/big.fnt'."), 1);
    EXPECT_EQ(handle->UnLoad(), GE_OK);
    EXPECT_EQ(handle->UnLoad(), GE_OK);
    EXPECT_EQ(gJournal.unloads, 1);
    EXPECT_EQ(log.Count(L"Trying to UnLoad already unloaded resource 'fonts/big.fnt'."), 1);
}

TEST_F(ResourceManagerTest, FailedLoadStaysCachedAndIsRetried)
{
    ResourceHandle<Sample> handle = ResourceManager::Get<Sample>(L"broken");
    gJournal.loadResult = GE_FAIL;
    EXPECT_EQ(handle->Load(), GE_FAIL);
    EXPECT_FALSE(handle->IsLoaded());
    gJournal.loadResult = GE_OK;
    EXPECT_EQ(handle->Load(), GE_OK);
    EXPECT_EQ(gJournal.loads, 2);
}

TEST_F(ResourceManagerTest, RefusedResourcesAreFreed)
{
    gJournal.initResult = 1;
    ResourceHandle<Sample> handle = ResourceManager::Get<Sample>(L"refused");
    EXPECT_FALSE(handle);
    EXPECT_EQ(handle.UseCount(), 0);
    EXPECT_EQ(gJournal.deletes, 1);
    EXPECT_TRUE(ResourceManager::GetMap<Sample>().empty());
}

TEST_F(ResourceManagerTest, FailedUnloadKeepsTheResourceCached)
{
    ResourceHandle<Sample> handle = ResourceManager::Get<Sample>(L"sticky");
    Sample* sample = handle.Get();
    ASSERT_EQ(handle->Load(), GE_OK);
    gJournal.unloadResult = GE_FAIL;
    handle.Reset();
    EXPECT_EQ(gJournal.deletes, 0);
    ASSERT_EQ(ResourceManager::GetMap<Sample>().size(), 1u);
    EXPECT_TRUE(sample->IsLoaded());

    gJournal.unloadResult = GE_OK;
    EXPECT_EQ(ResourceManager::Free<Sample>(sample), 0u);
    EXPECT_EQ(gJournal.deletes, 1);
    EXPECT_EQ(ResourceManager::Free<Sample>(sample), 0u) << "an unknown resource is ignored";
}

struct Tracked {
    explicit Tracked(int* deaths) : deaths(deaths) {}
    ~Tracked() { ++*deaths; }
    int* deaths;
};

TEST(SharedHandle, LastHandleDeletesAndResetAdopts)
{
    int deaths = 0;
    resource::SharedHandle<Tracked> first(new Tracked(&deaths));
    EXPECT_EQ(first.use_count(), 1);
    {
        resource::SharedHandle<Tracked> second = first;
        EXPECT_EQ(first.use_count(), 2);
    }
    EXPECT_EQ(deaths, 0);
    first.reset(new Tracked(&deaths));
    EXPECT_EQ(deaths, 1);
    EXPECT_EQ(first.use_count(), 1);
    first.reset();
    EXPECT_EQ(deaths, 2);
    EXPECT_FALSE(first);
    EXPECT_EQ(first.use_count(), 0);
}

} // namespace
