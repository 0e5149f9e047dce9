#include "items/shop.h"

#include <cstdio>
#include <string>

#include "items/inventory.h"
#include "items/weight.h"
#include "sound/sound.h"
#include "state.h"

namespace {

// Name, a run of blanks that lines the prices up, price.
std::string listText(const char* name, int blanks, const char* price) {
    return std::string(name) + std::string(static_cast<std::size_t>(blanks), ' ') + price;
}

}  // namespace

const ShopArticle BUY_TABLE[8] = {
    {listText("Epée courte", 29, "80"), 1, 80, 1.0},
    {listText("Hallebarde", 31, "120"), 2, 120, 1.5},
    {listText("Masse d'arme", 26, "650"), 3, 650, 2.0},
    {listText("Epée noire", 31, "960"), 4, 960, 2.5},
    {listText("Marteau enchanté", 19, "1800"), 5, 1800, 3.0},
    {listText("Bouclier", 36, "150"), ITEM_SHIELD, 150, 1.5},
    {listText("Potion", 39, "40"), ITEM_POTION, 40, 0.1},
    {listText("Elixir", 42, "25"), ITEM_ELIXIR, 25, 0.05},
};

const ShopWeapon SELL_TABLE[5] = {
    {listText("Epée courte", 29, "30"), 1, 30},
    {listText("Hallebarde", 31, "40"), 2, 40},
    {listText("Masse d'arme", 28, "60"), 3, 60},
    {listText("Epée noire", 33, "80"), 4, 80},
    {listText("Marteau enchanté", 19, "180"), 5, 180},
};

namespace {

using platform::Answer;
using platform::BoxButtons;
using platform::BoxIcon;
using platform::BoxStyle;

constexpr int POTION_ENTRY = 6;      // preselected in the buy list
constexpr int LIST_W = 240, LIST_H = 300;  // the lists' size in pixels, dropped down
constexpr double GOLD_KG = 0.001;

constexpr const char* TUTORIAL_CAPTION = "Tu vient de rentrer dans une boutique:";
constexpr const char* TUTORIAL_TEXT =
    "Ici tu peux acheter des armes, des potions, des élixirs et un bouclier, et revendre tes "
    "armes pour un peu d'or. Mais attention: sans arme, pas de combat!\n\n"
    "Économise ton or pour t'offrir les armes qu'il te faudra pour vaincre le mage, et garde "
    "toujours de quoi te soigner.\n\n"
    "Les boutiques sont rares dans ce château, et leurs marchands sont de vrais escrocs: "
    "ne gaspille pas ton argent!";

constexpr const char* REFUSED_CAPTION = "Vous nepouvez pas acheter cet article:";
constexpr const char* TOO_POOR = "   Tu n'as pas assez d'or pour acheter ca!!!";
constexpr const char* TOO_HEAVY =
    "   Tu ne peut pas porter tout ca !!!\n       Libère un peut de place dans ton sac...";

void refresh(platform::Window dlg) {
    platform::comboReset(dlg, IDC_SHOP_SELL_LIST);
    platform::comboSetDroppedSize(dlg, IDC_SHOP_SELL_LIST, LIST_W, LIST_H);
    for (const ShopWeapon& w : SELL_TABLE)
        platform::comboAdd(dlg, IDC_SHOP_SELL_LIST, gs.inventory[w.item] > 0 ? w.text : SELL_MASK);
    platform::comboSelect(dlg, IDC_SHOP_SELL_LIST, gs.loopK - 1);

    fillBagFields(dlg);
}

void open(platform::Window dlg) {
    selectMusic(MUSIC_SHOP);
    if (gs.tutoShop == 0) {
        gs.tutoShop = 1;
        platform::messageBox(gs.mainWindow, TUTORIAL_TEXT, TUTORIAL_CAPTION,
                             BoxStyle{BoxButtons::Ok, BoxIcon::Info});
    }
    gs.loopK = 1;
    platform::comboSetDroppedSize(dlg, IDC_SHOP_BUY_LIST, LIST_W, LIST_H);
    platform::comboReset(dlg, IDC_SHOP_BUY_LIST);
    for (const ShopArticle& a : BUY_TABLE) platform::comboAdd(dlg, IDC_SHOP_BUY_LIST, a.text);
    platform::comboSelect(dlg, IDC_SHOP_BUY_LIST, POTION_ENTRY);
    refresh(dlg);
}

void buy(platform::Window dlg) {
    playSound("caisse");
    // Text typed into the list, or no entry chosen: nothing to buy.
    const int k = platform::comboSelection(dlg, IDC_SHOP_BUY_LIST);
    if (k < 0 || k >= static_cast<int>(std::size(BUY_TABLE))) return;
    const int gold = gs.inventory[GOLD];
    const ShopArticle& a = BUY_TABLE[k];
    computeCarriedWeight();
    // The price counts as extra weight here, at a gram a piece, although it
    // leaves the bag: the test is stricter than the weight after payment.
    const bool tooPoor = a.prix > gold;
    const bool tooHeavy = MAX_CARRY_KG - a.dpoids - a.prix * GOLD_KG < gs.carriedWeight;
    if (tooPoor || tooHeavy) {
        if (tooPoor) platform::messageBox(dlg, TOO_POOR, REFUSED_CAPTION);
        if (tooHeavy) platform::messageBox(dlg, TOO_HEAVY, REFUSED_CAPTION);
    } else {
        gs.inventory[a.item] += 1;
        gs.inventory[GOLD] = gold - a.prix;
        // A second shield is not kept: buying one restores the shield points.
        if (a.item == ITEM_SHIELD) gs.shield = gs.shieldMax;
        if (gs.inventory[ITEM_SHIELD] >= 2) gs.inventory[ITEM_SHIELD] = 1;
    }
    gs.loopK = 1;
    refresh(dlg);
}

void sell(platform::Window dlg) {
    playSound("caisse");
    // Nothing chosen reads item 0, which nobody owns.
    const int i = platform::comboSelection(dlg, IDC_SHOP_SELL_LIST) + 1;
    gs.loopK = i;
    if (i < 1 || i > static_cast<int>(std::size(SELL_TABLE)) || gs.inventory[i] < 1) {
        platform::messageBox(dlg, "Tu ne peut pas vendre un objet que tu ne possède pas!!!",
                             "Ca va pas la tête???", BoxStyle{BoxButtons::Ok, BoxIcon::Info});
        return;
    }
    if (gs.inventory[i] == 1) {
        const Answer a = platform::messageBox(
            dlg, "ATTENTION:\nc'est ton dernier article de ce genre:\n\nEs tu sur de vouloir le vendre?",
            "Attention", BoxStyle{BoxButtons::YesNo, BoxIcon::Warning, true});
        if (a != Answer::Yes) return;
    }
    gs.inventory[i] -= 1;
    gs.inventory[GOLD] += SELL_TABLE[i - 1].price;
    computeCarriedWeight();
    if (gs.carriedWeight > MAX_CARRY_KG) {
        // The gold that does not fit in the bag is left on the counter.
        const double over = (static_cast<double>(gs.carriedWeight) - MAX_CARRY_KG) * 1000.0;
        const int kept = static_cast<int>(gs.inventory[GOLD] - over);
        gs.inventory[GOLD] = kept > 0 ? kept : 0;
    }
    refresh(dlg);
}

}  // namespace

void openShop() { platform::dialogBox(shopDialog(), gs.mainWindow, shopDialogProc); }

long shopDialogProc(platform::Window dlg, platform::Msg msg, long a, long /*b*/) {
    if (msg == platform::Msg::InitDialog) {
        open(dlg);
    } else if (msg == platform::Msg::Command) {
        switch (a) {
            case IDC_SHOP_BUY: buy(dlg); break;
            case IDC_SHOP_SELL: sell(dlg); break;
            case IDC_SHOP_LEAVE:
                selectMusic(MUSIC_NORMAL);
                platform::endDialog(dlg, 0);
                break;
            default: break;
        }
    }
    return 0;
}
