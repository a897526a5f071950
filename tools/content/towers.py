"""Texts of the towers: the upgrade label's lines, the payment offers shown when the
gold for a tower or an upgrade is short, and the tower menu's refusals. Each line of the upgrade label ends with a
line break, since the label joins them without a separator; "%d" takes the change in
percent, "%%" writes a percent sign."""
import shell

shell.add_texts([
    ("towerUpgradeInfoRange", "Range +%d%%\\n"),
    ("towerUpgradeInfoDamage", "Damage +%d%%\\n"),
    ("towerUpgradeInfoRof", "Fire rate +%d%%\\n"),
    ("towerUpgradeInfoIncome", "Income +%d%%\\n"),
    ("convertCristallToMoneyDialogText", "Not enough gold. Pay %d gems for the missing gold?"),
    ("gemShopDialogTitle", "More gems?"),
    # The tower menu: a tier step's price, and why an item the player cannot pay for
    # (drawn greyed out) does nothing.
    ("tierStepFree", "Free"),
    ("tierBudgetSpent", "No steps left"),
    ("notEnoughGold", "Not enough gold"),
    ("notEnoughGems", "Not enough gems"),
])


def generate(out_dir, tools_dir):
    """The texts are added when the module is imported, before the strings are written."""
