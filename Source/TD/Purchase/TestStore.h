#pragma once
// The simulated store: every request succeeds one second of frames later, and every
// product costs the price its list entry names ("$99" when it names none). Its task
// runs as a child of the application task.
#include "Core/Base/Task.h"
#include "Source/TD/Purchase/Purchaser.h"
#include <vector>

namespace purchase {

class TestStore : public Purchaser, public base::Task {
public:
    TestStore();
    ~TestStore() override;

    bool isAvailable() override { return true; }
    void requestPurchase(Product* product, PurchaseListener* listener) override;
    void requestProductInfo(Product* product) override;
    void restorePurchase(Product* product, PurchaseListener* listener) override;
    RequestData* newRequestData(const tinyxml2::XMLElement* element) override;

    GEResultEnum Tick(float dt) override;

    struct Request {
        Product* product;
        PurchaseListener* listener;
    };
    std::vector<Request> queue;
};

} // namespace purchase
