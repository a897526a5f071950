#pragma once
// The product list, the store the purchases go to, and the receivers the store's
// answers are broadcast to as TPurchaseResult.
#include "Core/Base/Delegate.h"
#include "Core/Base/Singletone.h"
#include "Source/TD/Purchase/Product.h"
#include "Source/TD/Purchase/PurchaseListener.h"
#include "Source/TD/Purchase/Purchaser.h"
#include "Source/TD/Purchase/TPurchaseResult.h"
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace purchase {

class PurchaseSystem : public PurchaseListener, public base::Singletone<PurchaseSystem> {
public:
    using ResultReceiver = base::Delegate1<const TPurchaseResult&, void>;

    PurchaseSystem();
    ~PurchaseSystem() override;

    static PurchaseSystem* create() { return Instance(); }

    // Takes ownership of the store (null: purchases off). A store that runs as a task
    // must have left the task tree before it is replaced.
    void setStore(Purchaser* store);
    Purchaser* getStore() const { return store.get(); }

    // Appends the products of the list file; a missing file adds nothing, a file
    // that does not parse logs one line and adds nothing.
    void loadProducts(const std::wstring& path);
    // The same from the file's text.
    void loadProductsText(const std::string& text);
    Product* findProduct(const std::wstring& name) const;
    // Hands the product to the store unless it is unknown, pending or there is no
    // available store; then nothing happens and no result is sent.
    void buy(const std::wstring& name);

    void onPurchaseSuccess(Product* product) override;
    void onPurchaseFail(Product* product) override;
    void onRestoreSuccess(Product* product) override;
    void onRestoreFail(Product* product) override;

    // Receivers of every result, keyed by the receiving object; registering again
    // under the same key replaces the earlier delegate.
    void addResultReceiver(const void* key, const ResultReceiver& receiver);
    void removeResultReceiver(const void* key);

    std::unique_ptr<Purchaser> store;
    std::vector<std::unique_ptr<Product>> products;

private:
    void broadcast(Product* product, int code);

    std::map<const void*, std::shared_ptr<ResultReceiver>> receivers;
};

} // namespace purchase
