#pragma once
// Told of a store's answers about one product.
namespace purchase {

class Product;

class PurchaseListener {
public:
    virtual ~PurchaseListener() = default;
    virtual void onPurchaseSuccess(Product* product) = 0;
    virtual void onPurchaseFail(Product* product) = 0;
    virtual void onRestoreSuccess(Product* product) = 0;
    virtual void onRestoreFail(Product* product) = 0;
};

} // namespace purchase
