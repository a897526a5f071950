#include "Source/TD/Purchase/TestStore.h"
#include "Core/Render/Math/Random.h"
#include "Source/TD/Purchase/Product.h"
#include "Source/TD/Purchase/PurchaseListener.h"

namespace purchase {

namespace {

// What the simulated store keeps per product: the time left until its answer.
class Delay : public RequestData {
public:
    float seconds = 0.0f;
};

Delay* DelayOf(Product* product)
{
    auto* delay = dynamic_cast<Delay*>(product->requestData.get());
    if (!delay) {
        delay = new Delay;
        product->requestData.reset(delay);
    }
    return delay;
}

} // namespace

// The purchase system owns the store; its task is only borrowed by the task tree.
TestStore::TestStore() : base::Task(false, false, false, false) {}

TestStore::~TestStore() = default;

void TestStore::requestPurchase(Product* product, PurchaseListener* listener)
{
    DelayOf(product)->seconds = 1.0f + 0.0f * RandomFloat();
    queue.push_back({product, listener});
}

void TestStore::requestProductInfo(Product* product)
{
    product->priceKnown = true;
    product->price = L"$99";
}

void TestStore::restorePurchase(Product* product, PurchaseListener* listener)
{
    requestPurchase(product, listener);
}

RequestData* TestStore::newRequestData(const tinyxml2::XMLElement*)
{
    return new Delay;
}

GEResultEnum TestStore::Tick(float dt)
{
    // Answers go out after the queue is settled: a listener may buy again at once.
    std::vector<Request> due;
    for (auto it = queue.begin(); it != queue.end();) {
        Delay* delay = DelayOf(it->product);
        delay->seconds -= dt;
        if (delay->seconds > 0.0f) {
            ++it;
            continue;
        }
        due.push_back(*it);
        it = queue.erase(it);
    }
    for (const Request& request : due) {
        if (request.listener)
            request.listener->onPurchaseSuccess(request.product);
    }
    return GE_OK;
}

} // namespace purchase
