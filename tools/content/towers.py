"""Texts of the towers: the upgrade label's lines and the payment offers shown when the
gold for a tower or an upgrade is short. Each line of the upgrade label ends with a
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
])


def generate(out_dir, tools_dir):
    """The texts are added when the module is imported, before the strings are written."""
