// The product list, purchases through the simulated store, and the broadcast of the
// store's answers.
#include "Core/Base/StringEncoding.h"
#include "Core/Base/Task.h"
#include "Core/Render/Math/Random.h"
#include "Source/TD/Purchase/PurchaseSystem.h"
#include "Source/TD/Purchase/TestStore.h"
#include "tests/File/FileTestSupport.h"
#include "tests/Support/LogCapture.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

namespace {

using purchase::Product;
using purchase::PurchaseSystem;
using purchase::TestStore;

const char* const kProducts = R"(<?xml version="1.0" encoding="utf-8"?>
<xml>
  <Product name="gems" text="A few gems" type="consumable"/>
  <Product name="health" text="Full health" type="consumable"/>
  <Product name="boost" text="Faster energy" type="non-consumable"/>
  <Other name="ignored"/>
  <Product name="gems" text="The same id again" type="consumable"/>
</xml>
)";

// Collects the broadcast as "name:code" words, and what the product listener heard.
class Receiver {
public:
    void onResult(const TPurchaseResult& result)
    {
        heard.push_back(ConvertToNarrow(result.product->name) + ":" + std::to_string(result.code));
    }
    std::string Heard() const
    {
        std::string all;
        for (const std::string& word : heard)
            all += (all.empty() ? "" : " ") + word;
        return all;
    }
    std::vector<std::string> heard;
};

class ProductListener : public purchase::PurchaseListener {
public:
    void onPurchaseSuccess(Product*) override { heard += "success "; }
    void onPurchaseFail(Product*) override { heard += "fail "; }
    void onRestoreSuccess(Product*) override { heard += "restored "; }
    void onRestoreFail(Product*) override { heard += "restore-fail "; }
    std::string heard;
};

class PurchaseTest : public TempFolderTest {
protected:
    void SetUp() override
    {
        TempFolderTest::SetUp();
        system = PurchaseSystem::create();
        system->products.clear();
        system->setStore(nullptr);
        system->addResultReceiver(&receiver, base::MemberDelegate1<Receiver, const TPurchaseResult&>(
                                                 &receiver, &Receiver::onResult));
    }
    void TearDown() override
    {
        system->removeResultReceiver(&receiver);
        system->setStore(nullptr);
        system->products.clear();
        TempFolderTest::TearDown();
    }

    // The store as the game runs it: a child task of the application's task.
    TestStore* OpenStore()
    {
        auto* store = new TestStore;
        system->setStore(store);
        application.AddChild(store);
        application.Update(0.0f); // a new child joins the tree at the end of a frame
        return store;
    }

    // Runs a script of words: "buy:NAME" or "tick:SECONDS" (one frame of the task tree).
    void Run(const std::string& script)
    {
        std::istringstream words(script);
        std::string word;
        while (words >> word) {
            const std::string argument = word.substr(word.find(':') + 1);
            if (word.rfind("buy:", 0) == 0)
                system->buy(ConvertToWide(argument));
            else if (word.rfind("tick:", 0) == 0)
                application.Update(std::stof(argument));
            else
                ADD_FAILURE() << "bad script word " << word;
        }
    }

    PurchaseSystem* system = nullptr;
    Receiver receiver;
    base::Task application{false, false, false, false};
};

TEST_F(PurchaseTest, ProductList)
{
    LogCapture log;
    system->loadProducts(L"td/inapp.xml"); // missing: nothing happens
    EXPECT_TRUE(system->products.empty());
    EXPECT_EQ(log.Lines(), 0);

    OpenStore();
    Put("td/inapp.xml", kProducts);
    system->loadProducts(L"td/inapp.xml");
    ASSERT_EQ(system->products.size(), 4u);
    const Product& gems = *system->products[0];
    EXPECT_EQ(gems.name, L"gems");
    EXPECT_EQ(gems.text, L"A few gems");
    EXPECT_EQ(gems.type, 1);
    EXPECT_EQ(system->products[2]->type, 0);
    for (const auto& product : system->products) {
        EXPECT_TRUE(product->priceKnown);
        EXPECT_EQ(product->price, L"$99");
        EXPECT_NE(product->requestData, nullptr);
        EXPECT_FALSE(product->pending);
    }
    EXPECT_EQ(system->findProduct(L"gems"), system->products[0].get()) << "the first of a name";
    EXPECT_EQ(system->findProduct(L"Gems"), nullptr);
    EXPECT_EQ(system->findProduct(L"ignored"), nullptr);

    // A file that does not parse leaves the list as it was and says so once.
    Put("td/broken.xml", "<xml><Product name=\"x\"></xml>");
    system->loadProducts(L"td/broken.xml");
    EXPECT_EQ(system->products.size(), 4u);
    EXPECT_EQ(log.Lines(), 1);
    // Without the "xml" root, or with malformed UTF-8 in a name, nothing is added.
    system->loadProductsText("<list><Product name=\"y\"/></list>");
    system->loadProductsText("<xml><Product name=\"\xff\"/></xml>");
    EXPECT_EQ(system->products.size(), 4u);
}

TEST_F(PurchaseTest, TheSimulatedStoreQuotesEachProductsListedPrice)
{
    LogCapture log;
    OpenStore();
    system->loadProductsText(R"(<xml>
  <Product name="small" text="100 gems" type="consumable" price="$0.99"/>
  <Product name="large" text="4500 gems" type="consumable" price="$29.99"/>
  <Product name="plain" text="Full health" type="consumable"/>
  <Product name="empty" text="Boost" type="non-consumable" price=""/>
)"
                              "<Product name=\"broken\" text=\"Boost\" type=\"non-consumable\" price=\"\xff\"/></xml>");
    const struct {
        const wchar_t* name;
        const wchar_t* price;
    } cases[] = {{L"small", L"$0.99"}, {L"large", L"$29.99"}, {L"plain", L"$99"}, {L"empty", L"$99"},
                 {L"broken", L"$99"}};
    for (const auto& c : cases) {
        const Product* product = system->findProduct(c.name);
        ASSERT_NE(product, nullptr) << c.name;
        EXPECT_TRUE(product->priceKnown) << c.name;
        EXPECT_EQ(product->price, c.price) << c.name;
    }
    EXPECT_EQ(log.Lines(), 1) << "the unreadable price is named once";
}

struct BuyCase {
    const char* what;
    bool store;
    const char* script;
    const char* results;
};

TEST_F(PurchaseTest, BuyingThroughTheSimulatedStore)
{
    const BuyCase cases[] = {
        {"a purchase succeeds after one second of frames", true, "buy:gems tick:0.5 tick:0.49", ""},
        {"...and not before", true, "buy:gems tick:0.5 tick:0.5", "gems:0"},
        {"buying twice within a second sends one request and one result", true,
         "buy:gems tick:0.4 buy:gems tick:0.4 buy:gems tick:0.4 tick:2", "gems:0"},
        {"a frame longer than the delay completes the purchase in that frame", true, "buy:gems tick:7",
         "gems:0"},
        {"products due in one frame complete in request order", true, "buy:health tick:0.5 buy:gems tick:1",
         "health:0 gems:0"},
        {"an answered product can be bought again", true, "buy:gems tick:1 buy:gems tick:1", "gems:0 gems:0"},
        {"an unknown name does nothing", true, "buy:nothing tick:2", ""},
        {"without a store nothing happens", false, "buy:gems tick:2", ""},
    };
    for (const BuyCase& c : cases) {
        SCOPED_TRACE(c.what);
        system->setStore(nullptr);
        application.children.clear();
        application.pendingChildren.clear();
        system->products.clear();
        receiver.heard.clear();
        if (c.store)
            OpenStore();
        system->loadProductsText(kProducts);
        Run(c.script);
        EXPECT_EQ(receiver.Heard(), c.results);
        for (const auto& product : system->products)
            EXPECT_FALSE(product->pending && !c.store);
    }
}

TEST_F(PurchaseTest, EveryRequestDrawsOneRandomNumber)
{
    OpenStore();
    system->loadProductsText(kProducts);
    ResetRandomCounter(0);
    system->buy(L"gems");
    system->buy(L"gems"); // pending: no request, no draw
    system->buy(L"health");
    const float next = RandomFloat();
    ResetRandomCounter(2);
    EXPECT_EQ(next, RandomFloat());
}

TEST_F(PurchaseTest, AnswersReachTheListenerThenEveryReceiver)
{
    OpenStore();
    system->loadProductsText(kProducts);
    Product* boost = system->findProduct(L"boost");
    Product* gems = system->findProduct(L"gems");
    ProductListener listener;

    // A purchase clears the product's own listener: only the broadcast reports it.
    boost->listener = &listener;
    Run("buy:boost tick:1");
    EXPECT_EQ(listener.heard, "");
    EXPECT_EQ(receiver.Heard(), "boost:0");
    EXPECT_EQ(boost->owned, 1) << "a non-consumable stays bought";

    // The store's other answers, told straight to the system.
    receiver.heard.clear();
    gems->listener = &listener;
    gems->pending = true;
    system->onPurchaseFail(gems);
    EXPECT_FALSE(gems->pending);
    system->onRestoreSuccess(gems); // nothing to restore of a consumable
    gems->pending = true;
    system->onRestoreFail(gems);
    EXPECT_FALSE(gems->pending);
    EXPECT_EQ(gems->owned, 0);
    EXPECT_EQ(listener.heard, "fail restore-fail ");
    EXPECT_EQ(receiver.Heard(), "gems:1 gems:3");

    // Receivers are keyed: a second registration under one key replaces the first, and a
    // receiver that leaves during the broadcast does not break it.
    Receiver other;
    system->addResultReceiver(&other, base::MemberDelegate1<Receiver, const TPurchaseResult&>(&other, &Receiver::onResult));
    system->addResultReceiver(&other, base::MemberDelegate1<Receiver, const TPurchaseResult&>(&other, &Receiver::onResult));
    receiver.heard.clear();
    system->onPurchaseSuccess(gems);
    EXPECT_EQ(other.Heard(), "gems:0");
    EXPECT_EQ(receiver.Heard(), "gems:0");
    system->removeResultReceiver(&other);
    system->onPurchaseSuccess(gems);
    EXPECT_EQ(other.Heard(), "gems:0");
}

TEST_F(PurchaseTest, ShippedProductListHoldsEveryProductTheGameBuys)
{
    std::filesystem::current_path(GE_BINARY_DIR "/content");
    OpenStore();
    system->loadProducts(L"td/inapp.xml");
    for (const wchar_t* name : {L"buy_100_cr", L"buy_300_cr", L"buy_500_cr", L"buy_1000_cr", L"buy_2500_cr",
                                L"buy_health", L"reset_upgrades"}) {
        const Product* product = system->findProduct(name);
        ASSERT_NE(product, nullptr) << ConvertToNarrow(name);
        EXPECT_EQ(product->type, 1) << "consumable";
        EXPECT_FALSE(product->text.empty());
    }
    for (const wchar_t* name : {L"extra_energy", L"energy_speed", L"energy_refill"}) {
        const Product* product = system->findProduct(name);
        ASSERT_NE(product, nullptr) << ConvertToNarrow(name);
        EXPECT_EQ(product->type, 0) << "bought once, then owned";
    }
    EXPECT_EQ(system->products.size(), 10u);
}

TEST_F(PurchaseTest, TheStoreTaskDoesNotKeepTheApplicationRunning)
{
    base::Task root(false, true, false, false);
    auto* store = new TestStore;
    system->setStore(store);
    root.AddChild(store);
    root.Update(0.1f);
    EXPECT_TRUE(root.finished) << "nothing but the store left: the application stops";
    EXPECT_FALSE(store->autoDelete) << "the purchase system owns the store";
}

} // namespace
