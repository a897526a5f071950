#pragma once
// One store product from "td/inapp.xml".
#include "Core/Base/Types.h"
#include <memory>
#include <string>

namespace purchase {

class PurchaseListener;

// What a store keeps per product (the simulated store: the remaining delay).
class RequestData {
public:
    virtual ~RequestData() = default;
};

class Product {
public:
    PurchaseListener* listener = nullptr; // told of this product's results; not owned
    int type = 0;                         // 1: consumable
    std::wstring name;                    // the product id
    std::wstring text;                    // display text
    std::wstring price;                   // the store's price text
    std::unique_ptr<RequestData> requestData;
    bool priceKnown = false;
    bool pending = false; // a request is under way
    u8 owned = 0;         // a non-consumable product that was bought or restored
};

} // namespace purchase
