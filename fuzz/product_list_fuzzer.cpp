// The product list reader on arbitrary text, with the simulated store asked for prices.
#include "Source/TD/Purchase/PurchaseSystem.h"
#include "Source/TD/Purchase/TestStore.h"

#include <cstddef>
#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    purchase::PurchaseSystem* system = purchase::PurchaseSystem::create();
    if (!system->getStore())
        system->setStore(new purchase::TestStore);
    system->loadProductsText(std::string(reinterpret_cast<const char*>(data), size));
    for (const auto& product : system->products)
        system->buy(product->name);
    system->products.clear();
    static_cast<purchase::TestStore*>(system->getStore())->queue.clear();
    return 0;
}
