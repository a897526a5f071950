#include "Source/TD/Purchase/TestStore.h"
#include "Core/Base/StringEncoding.h"
#include "Core/Render/Math/Random.h"
#include "Source/TD/Purchase/Product.h"
#include "Source/TD/Purchase/PurchaseListener.h"
#include <tinyxml2.h>

namespace purchase {

namespace {

// What the simulated store keeps per product: the time left until its answer and the
// price the product list quotes for it.
class Delay : public RequestData {
public:
    float seconds = 0.0f;
    std::wstring price;
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
    const std::wstring& listed = DelayOf(product)->price;
    product->price = listed.empty() ? L"$99" : listed;
}

void TestStore::restorePurchase(Product* product, PurchaseListener* listener)
{
    requestPurchase(product, listener);
}

// A product's "price" attribute is what the simulated store quotes, so that bigger
// packs cost more; a product without a readable one costs "$99".
RequestData* TestStore::newRequestData(const tinyxml2::XMLElement* element)
{
    auto* delay = new Delay;
    if (const char* price = element ? element->Attribute("price") : nullptr) {
        if (!TryConvertToWide(price, delay->price, L"product price"))
            delay->price.clear();
    }
    return delay;
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
