// What the main window needs from its contacts tree (control 3029): the messaging layer's view
// of it and the load during the set-up. The main window makes its tree through a factory, so
// that tests can put a recording one in its place; the program uses MakeContactsTree.
#pragma once

#include <functional>
#include <memory>

#include "mainwnd/contacts_tree.h"
#include "net/dispatch_targets.h"
#include "ui/form.h"

namespace mainwnd {

class ContactsPane : public net::ContactsTree {
  public:
    // Fills the contact table from the central database, draws the tree from it and sends the
    // start-up texts to the server endpoints.
    virtual void Load() = 0;
};

// Makes the tree of the open main window `form`, which asks `host` for what it needs.
using ContactsPaneFactory =
    std::function<std::unique_ptr<ContactsPane>(ui::Form& form, ContactsTreeHost& host)>;

// The contacts tree of contacts_tree.h behind the pane.
std::unique_ptr<ContactsPane> MakeContactsTree(ui::Form& form, ContactsTreeHost& host);

}  // namespace mainwnd
