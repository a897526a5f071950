#pragma once
// One store answer as the game receives it.
namespace purchase {
class Product;
}

struct TPurchaseResult {
    enum Code { PurchaseSuccess = 0, PurchaseFail = 1, RestoreSuccess = 2, RestoreFail = 3 };

    purchase::Product* product = nullptr;
    int code = PurchaseSuccess;
};
