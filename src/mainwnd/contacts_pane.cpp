#include "mainwnd/contacts_pane.h"

namespace mainwnd {

namespace {

class TreePane final : public ContactsPane {
  public:
    TreePane(ui::Form& form, ContactsTreeHost& host) : tree_(form, host) {}

    void Load() override { tree_.Load(); }
    void AddContactItem(int group, const std::string& text, int image, const std::string& remark,
                        long long account) override {
        tree_.AddContactItem(group, text, image, remark, account);
    }
    void SetContactIcon(long long account, int image) override {
        tree_.SetContactIcon(account, image);
    }
    std::vector<long long> ContactItemAccounts() const override {
        return tree_.ContactItemAccounts();
    }

  private:
    mainwnd::ContactsTree tree_;
};

}  // namespace

std::unique_ptr<ContactsPane> MakeContactsTree(ui::Form& form, ContactsTreeHost& host) {
    return std::make_unique<TreePane>(form, host);
}

}  // namespace mainwnd
