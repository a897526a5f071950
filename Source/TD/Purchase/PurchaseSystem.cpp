#include "Source/TD/Purchase/PurchaseSystem.h"
#include "Core/Base/Log.h"
#include "Core/Base/StringEncoding.h"
#include "Core/File/FileManager.h"
#include "Core/File/FileUtils.h"
#include "Source/TD/Purchase/TestStore.h"
#include <tinyxml2.h>

namespace purchase {

PurchaseSystem::PurchaseSystem() = default;

PurchaseSystem::~PurchaseSystem()
{
    // The store may still queue our products: it goes first.
    store.reset();
    products.clear();
}

void PurchaseSystem::setStore(Purchaser* replacement)
{
    store.reset(replacement);
}

void PurchaseSystem::loadProducts(const std::wstring& path)
{
    if (!file::FileManager::Instance()->Exists(path))
        return;
    const std::string text = file::ReadUtf8TextFile(path);
    if (text.empty()) {
        GE_LOG(L"Products '%s': the file is empty or could not be read.\n") << path;
        return;
    }
    loadProductsText(text);
}

void PurchaseSystem::loadProductsText(const std::string& text)
{
    tinyxml2::XMLDocument document;
    if (document.Parse(text.data(), text.size()) != tinyxml2::XML_SUCCESS) {
        GE_LOG(L"Products: not a valid XML document (%s).\n") << ConvertToWide(document.ErrorName());
        return;
    }
    const tinyxml2::XMLElement* root = document.FirstChildElement("xml");
    if (!root)
        return;
    for (const tinyxml2::XMLElement* element = root->FirstChildElement("Product"); element;
         element = element->NextSiblingElement("Product")) {
        auto product = std::make_unique<Product>();
        const char* name = element->Attribute("name");
        const char* text = element->Attribute("text");
        const char* type = element->Attribute("type");
        if ((name && !TryConvertToWide(name, product->name, L"product name")) ||
            (text && !TryConvertToWide(text, product->text, L"product text")))
            continue;
        product->type = type && std::string(type) == "consumable" ? 1 : 0;
        if (store)
            product->requestData.reset(store->newRequestData(element));
        Product* added = product.get();
        products.push_back(std::move(product));
        if (store)
            store->requestProductInfo(added);
    }
}

Product* PurchaseSystem::findProduct(const std::wstring& name) const
{
    for (const auto& product : products) {
        if (product->name == name)
            return product.get();
    }
    return nullptr;
}

void PurchaseSystem::buy(const std::wstring& name)
{
    Product* product = findProduct(name);
    if (!product || !store || !store->isAvailable() || product->pending)
        return;
    product->pending = true;
    product->listener = nullptr;
    store->requestPurchase(product, this);
}

void PurchaseSystem::onPurchaseSuccess(Product* product)
{
    product->pending = false;
    if (product->type != 1)
        product->owned = 1;
    if (product->listener)
        product->listener->onPurchaseSuccess(product);
    broadcast(product, TPurchaseResult::PurchaseSuccess);
}

void PurchaseSystem::onPurchaseFail(Product* product)
{
    product->pending = false;
    if (product->listener)
        product->listener->onPurchaseFail(product);
    broadcast(product, TPurchaseResult::PurchaseFail);
}

void PurchaseSystem::onRestoreSuccess(Product* product)
{
    // A consumable is used up once bought: there is nothing to restore.
    if (product->type == 1)
        return;
    product->pending = false;
    product->owned = 1;
    if (product->listener)
        product->listener->onRestoreSuccess(product);
    broadcast(product, TPurchaseResult::RestoreSuccess);
}

void PurchaseSystem::onRestoreFail(Product* product)
{
    product->pending = false;
    if (product->listener)
        product->listener->onRestoreFail(product);
    broadcast(product, TPurchaseResult::RestoreFail);
}

void PurchaseSystem::addResultReceiver(const void* key, const ResultReceiver& receiver)
{
    receivers[key] = std::shared_ptr<ResultReceiver>(receiver.Clone());
}

void PurchaseSystem::removeResultReceiver(const void* key)
{
    receivers.erase(key);
}

void PurchaseSystem::broadcast(Product* product, int code)
{
    const TPurchaseResult result{product, code};
    // A receiver may add or remove receivers while it is told: walk a copy.
    const auto current = receivers;
    for (const auto& [key, receiver] : current)
        (*receiver)(result);
}

} // namespace purchase
