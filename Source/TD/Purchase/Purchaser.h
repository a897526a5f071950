#pragma once
// A store. It answers each request, on the main thread, through the listener given
// with it.
namespace tinyxml2 {
class XMLElement;
}

namespace purchase {

class Product;
class PurchaseListener;
class RequestData;

class Purchaser {
public:
    virtual ~Purchaser() = default;
    virtual bool isAvailable() = 0;
    virtual void requestPurchase(Product* product, PurchaseListener* listener) = 0;
    virtual void finishRequest(Product*) {}
    // Fills the product's price text.
    virtual void requestProductInfo(Product* product) = 0;
    virtual void restorePurchase(Product*, PurchaseListener*) {}
    // The store's own data for a product, made from its element of the product list.
    virtual RequestData* newRequestData(const tinyxml2::XMLElement* element) = 0;
};

} // namespace purchase
