// The main window's menus and toolbar, the one table that sends each menu
// item, toolbar key and drop-down item to its command, the events of the
// three lists, the Help menu and the timer that hides a minimised window to
// the tray.

#include "ui/frmMain.h"

#include "core/Globals.h"
#include "core/clsDealerInfo.h"
#include "core/clsEngine.h"
#include "core/modCommon.h"
#include "platform/Folders.h"
#include "platform/Seams.h"
#include "platform/VB.h"
#include "ui/EventHook.h"
#include "ui/TrayIcon.h"
#include "ui/TreeNode.h"
#include "ui/clsMain.h"
#include "ui/frmAbout.h"
#include "ui/frmTrayIcon.h"

#include <QAction>
#include <QApplication>
#include <QFileInfo>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QStyle>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QTreeWidget>

namespace {
const QString kItemClickLog = QStringLiteral("frmMain_lvwKeywords_ItemClick:  ");
const QString kKeywordsDblClickLog = QStringLiteral("lvwKeywords_DblClick error :  ");
const QString kRankingDblClickLog = QStringLiteral("frm_lvwRanking_DBlClick error :  ");
const QString kURLsDblClickLog = QStringLiteral("frm_lvwURLs_DblClick error :  ");
const QString kHelpFileName = QStringLiteral("zqam.hlp");
const QString kHelpTitle = QStringLiteral("Help Contents");
const QString kHelpMissingStart = QStringLiteral("Cannot find the '");
const QString kHelpMissingEnd = QStringLiteral(
    "' Help file. Please check to see that the file exists on your disk. If it doesn't, you need to reinstall it.");
const QString kSchemeMark = QStringLiteral("://");
const QString kDefaultScheme = QStringLiteral("http://");
constexpr int kDeleteKeyCode = 46;
constexpr int kShowNormal = 1;
constexpr int kTrayFirstInterval = 100;
constexpr int kTrayInterval = 200;

QString L(const char *s) { return QString::fromLatin1(s); }

struct MenuEntry {
    int number;
    const char *caption;
};

// Where a menu item, toolbar key or drop-down item leads: another menu
// item (run as if clicked), or a command of its own.
struct Route {
    const char *menu;  // null for a command
    int item;
    const char *command;
};

// Menu items and the commands they run, in order.
const QMap<QString, QMap<int, QStringList>> &menuCommands() {
    static const QMap<QString, QMap<int, QStringList>> table = {
        {L("File"),
         {{1, {L("AddAccount"), L("SaveAccount")}},
          {2, {L("EditAccount"), L("SaveAccount")}},
          {3, {L("DeleteAccountCommand")}},  // saves the project itself
          {5, {L("Engingsetting"), L("SaveAccount")}},
          {8, {L("UpdateEngineDataFile")}},
          {9, {L("ShowConfiguration")}},
          {11, {L("Exit")}}}},
        {L("Keywords"),
         {{1, {L("DoAddKeywords")}},
          {3, {L("DoDeleteKeywords")}},
          {4, {L("DoRemoveAllKeywords")}},
          {6, {L("DoCopyKeywords")}},
          {7, {L("DoPasteKeywords")}},
          {9, {L("DoBuildKeyword")}},
          {10, {L("DownLoadKeywords")}},
          {12, {L("Exportkeywords")}}}},
        {L("URL"), {{1, {L("EditURLs")}}, {2, {L("ShowURLPosition")}}, {3, {L("mnuURLOpen")}}}},
        {L("Run"),
         {{1, {L("mnuRunItems_Click(1)")}},
          {3, {L("mnuRunItems_Click(3)")}},
          {4, {L("mnuRunItems_Click(4)")}},
          {5, {L("mnuRunItems_Click(5)")}},
          {7, {L("mnuRunItems_Click(7)")}}}},
        {L("Report"), {{1, {L("HTMLReport")}}, {2, {L("TextReport")}}, {3, {L("ExcelReport")}}}},
        {L("Help"),
         {{1, {L("mnuHelpContents")}},
          {3, {L("mnuHelpSupport")}},
          {4, {L("mnuHelpWeb")}},
          {6, {L("mnuHelpAbout")}}}},
        {L("OpenPage"), {{1, {L("mnuOpenPageItem_Click(1)")}}, {2, {L("mnuOpenPageItem_Click(2)")}}}},
    };
    return table;
}

// Toolbar buttons by key (exact case).
const QMap<QString, Route> &buttonRoutes() {
    static const QMap<QString, Route> table = {
        {L("NewAccount"), {"File", 1, nullptr}},   {L("Login"), {nullptr, 0, "LoginAccount_click"}},
        {L("Keyword"), {nullptr, 0, "DoAddKeywords"}}, {L("LoadKeyword"), {"Keywords", 10, nullptr}},
        {L("URL"), {"URL", 1, nullptr}},           {L("LookUp"), {"Run", 3, nullptr}},
        {L("Report"), {"Report", 1, nullptr}},     {L("AutoBid"), {"Run", 1, nullptr}},
        {L("Stop"), {"Run", 7, nullptr}},
    };
    return table;
}

// Drop-down items by their button's key and their number.
const QMap<QString, QMap<int, Route>> &dropDownRoutes() {
    static const QMap<QString, QMap<int, Route>> table = {
        {L("NewAccount"), {{1, {"File", 1, nullptr}}, {2, {"File", 2, nullptr}}}},
        {L("LookUp"), {{1, {"Run", 3, nullptr}}, {2, {"Run", 4, nullptr}}}},
        {L("Report"), {{1, {"Report", 1, nullptr}}, {2, {"Report", 2, nullptr}}, {3, {"Report", 3, nullptr}}}},
    };
    return table;
}

// A web address as the desktop gets it: "http://" in front only when the
// text names no scheme of its own.
QString withScheme(const QString &address) {
    return address.contains(kSchemeMark) ? address : kDefaultScheme + address;
}

void openAddress(const QString &address) {
    // The shell call sets the hourglass around itself.
    ::ShellOpen(withScheme(address), kShowNormal);
}

bool isDeleteKey(QEvent *e) {
    return e->type() == QEvent::KeyPress && static_cast<QKeyEvent *>(e)->key() == Qt::Key_Delete;
}
}  // namespace

void frmMain::buildMenus() {
    auto addMenu = [this](const QString &name, const QString &caption, std::initializer_list<MenuEntry> items) {
        QMenu *menu = menuBar()->addMenu(caption);
        menu->setObjectName(QStringLiteral("mnu") + name);
        for (const MenuEntry &e : items) {
            const QString text = QString::fromLatin1(e.caption);
            QAction *a = text == QLatin1String("-") ? menu->addSeparator() : menu->addAction(text);
            m_menuItems[name].insert(e.number, a);
        }
        return menu;
    };
    addMenu(QStringLiteral("File"), QStringLiteral("&File"),
            {{1, "&New Account"}, {2, "&Edit Account"}, {3, "&Delete Account"}, {4, "-"},
             {5, "Engine &Setting ..."}, {7, "-"}, {8, "Upda&te Engine Data File"}, {9, "&Configuration..."},
             {10, "-"}, {11, "E&xit"}});
    addMenu(QStringLiteral("Keywords"), QStringLiteral("&Keywords"),
            {{1, "Add Key&words..."}, {2, "-"}, {3, "Dele&te Keywords"}, {4, "Delete A&ll"}, {5, "-"},
             {6, "&Copy"}, {7, "&Paste"}, {8, "-"}, {9, "Keyword &Builder..."},
             {10, "Retrieve Keywords from Account"}, {11, "-"}, {12, "&Export Keywords"}});
    addMenu(QStringLiteral("URL"), QStringLiteral("&URL"), {{1, "&Edit URL..."}, {2, "&Show Position"}, {3, "&Open"}});
    addMenu(QStringLiteral("Run"), QStringLiteral("&Run"),
            {{1, "&AutoBid"}, {2, "-"}, {3, "Lookup &Selected Keyword"}, {4, "Lookup All &Keywords"},
             {5, "&Look up All Keywords in all engines"}, {6, "-"}, {7, "St&op"}});
    addMenu(QStringLiteral("Report"), QStringLiteral("&Report"),
            {{1, "&HTML Format"}, {2, "&Text Format"}, {3, "&Excel Format"}});
    addMenu(QStringLiteral("Help"), QStringLiteral("&Help"),
            {{1, "&Contents"}, {2, "-"}, {3, "&Support"}, {4, "&Zentrova Software on the Web"}, {5, "-"},
             {6, "&About Zentrova Keyword Tavisk"}});
    QMenu *openPage = addMenu(QStringLiteral("OpenPage"), QStringLiteral("OpenPage"),
                              {{1, "Go to Engine"}, {2, "Login to Engine"}});
    openPage->menuAction()->setVisible(false);

    menuItem(QStringLiteral("Keywords"), 7)->setEnabled(false);
    menuItem(QStringLiteral("Run"), 5)->setVisible(false);
}

void frmMain::buildToolbar() {
    tlbToolbar = addToolBar(QStringLiteral("Toolbar"));
    tlbToolbar->setObjectName(QStringLiteral("tlbToolbar"));
    tlbToolbar->setMovable(false);
    tlbToolbar->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    QStyle *st = style();
    struct Item {
        const char *caption, *key, *tooltip;
        QStyle::StandardPixmap icon;
        std::vector<std::pair<const char *, const char *>> dropDown;
    };
    const std::vector<Item> items = {
        {"Account", "NewAccount", "Create new project", QStyle::SP_FileDialogNewFolder,
         {{"New Account", "NewAccount"}, {"Edit Account", "EditAccount"}}},
        {"Login", "Login", "", QStyle::SP_DialogOkButton, {}},
        {nullptr, nullptr, nullptr, QStyle::SP_CustomBase, {}},
        {"Add KW", "Keyword", "Add new keyword", QStyle::SP_FileIcon, {}},
        {"Load KW", "LoadKeyword", "", QStyle::SP_ArrowDown, {}},
        {nullptr, nullptr, nullptr, QStyle::SP_CustomBase, {}},
        {"URL", "URL", "Edit URLs", QStyle::SP_DirLinkIcon, {}},
        {nullptr, nullptr, nullptr, QStyle::SP_CustomBase, {}},
        {"Lookup", "LookUp", "Retrieve result from intenet", QStyle::SP_FileDialogContentsView,
         {{"Selected Keywords", "Keyword"}, {"All Keywords", "AllKeywords"}}},
        {"Stop", "Stop", "Stop search in internet", QStyle::SP_BrowserStop, {}},
        {nullptr, nullptr, nullptr, QStyle::SP_CustomBase, {}},
        {"AutoBid", "AutoBid", "Eliminate bid gaps or bid to top 3 position", QStyle::SP_MediaPlay, {}},
        {nullptr, nullptr, nullptr, QStyle::SP_CustomBase, {}},
        {"Report", "Report", "Create report", QStyle::SP_FileDialogDetailedView,
         {{"HTML Format", "HTML"}, {"Text Format", "Text"}, {"Excel Format", "Excel"}}},
    };
    for (const Item &it : items) {
        if (!it.caption) {
            tlbToolbar->addSeparator();
            continue;
        }
        const QString key = QString::fromLatin1(it.key);
        auto *action = new QAction(st->standardIcon(it.icon), QString::fromLatin1(it.caption), this);
        action->setObjectName(key);
        action->setToolTip(QString::fromLatin1(it.tooltip));
        if (!it.dropDown.empty()) {
            auto *menu = new QMenu(this);
            menu->setObjectName(key + QStringLiteral("DropDown"));
            int number = 0;
            for (const auto &d : it.dropDown) {
                QAction *sub = menu->addAction(QString::fromLatin1(d.first));
                sub->setData(++number);
                m_toolMenuItems[key].insert(QString::fromLatin1(d.second), sub);
            }
            action->setMenu(menu);
        }
        tlbToolbar->addAction(action);
        if (!it.dropDown.empty())
            if (auto *button = qobject_cast<QToolButton *>(tlbToolbar->widgetForAction(action)))
                button->setPopupMode(QToolButton::MenuButtonPopup);
        m_toolButtons.insert(key, action);
    }
}

void frmMain::buildDispatch() {
    // The commands, by the names the tables above use.
    auto add = [this](const char *name, Command c) { m_commands.insert(L(name), std::move(c)); };
    add("AddAccount", [this] { AddAccount(); });
    add("EditAccount", [this] { EditAccount(); });
    add("DeleteAccountCommand", [this] { DeleteAccountCommand(); });
    add("SaveAccount", [this] {
        if (m_oMain)
            m_oMain->SaveAccount();
    });
    add("Engingsetting", [this] { Engingsetting(); });
    add("UpdateEngineDataFile", [this] { UpdateEngineDataFile(); });
    add("ShowConfiguration", [this] { ShowConfiguration(); });
    add("Exit", [this] { close(); });
    add("DoAddKeywords", [this] { DoAddKeywords(); });
    add("DoDeleteKeywords", [this] { DoDeleteKeywords(); });
    add("DoRemoveAllKeywords", [this] { DoRemoveAllKeywords(); });
    add("DoCopyKeywords", [this] { DoCopyKeywords(); });
    add("DoPasteKeywords", [this] { DoPasteKeywords(); });
    add("DoBuildKeyword", [this] { DoBuildKeyword(); });
    add("DownLoadKeywords", [this] { DownLoadKeywords(); });
    add("Exportkeywords", [this] { Exportkeywords(); });
    add("EditURLs", [this] { EditURLs(); });
    add("ShowURLPosition", [this] { ShowURLPosition(); });
    add("mnuURLOpen", [this] { mnuURLOpen(); });
    for (int n : {1, 3, 4, 5, 7})
        m_commands.insert(QStringLiteral("mnuRunItems_Click(%1)").arg(n), [this, n] { mnuRunItems_Click(n); });
    add("HTMLReport", [this] { HTMLReport(); });
    add("TextReport", [this] { TextReport(); });
    add("ExcelReport", [this] { ExcelReport(); });
    add("mnuHelpContents", [this] { mnuHelpContents(); });
    add("mnuHelpSupport", [this] { mnuHelpSupport(); });
    add("mnuHelpWeb", [this] { mnuHelpWeb(); });
    add("mnuHelpAbout", [this] { mnuHelpAbout(); });
    add("mnuOpenPageItem_Click(1)", [this] { mnuOpenPageItem_Click(1); });
    add("mnuOpenPageItem_Click(2)", [this] { mnuOpenPageItem_Click(2); });
    add("LoginAccount_click", [this] { LoginAccount_click(); });

    // Menu items, toolbar buttons and drop-down items.
    for (auto menu = m_menuItems.cbegin(); menu != m_menuItems.cend(); ++menu) {
        const QString name = menu.key();
        for (auto item = menu.value().cbegin(); item != menu.value().cend(); ++item) {
            if (item.value()->isSeparator())
                continue;
            const int number = item.key();
            connect(item.value(), &QAction::triggered, this, [this, name, number] { mnuItems_Click(name, number); });
        }
    }
    for (auto button = m_toolButtons.cbegin(); button != m_toolButtons.cend(); ++button) {
        const QString key = button.key();
        connect(button.value(), &QAction::triggered, this, [this, key] { tlbToolbar_ButtonClick(key); });
        QMenu *dropDown = button.value()->menu();
        if (!dropDown)
            continue;
        connect(dropDown, &QMenu::aboutToShow, this, &frmMain::tlbToolbar_ButtonDropDown);
        for (QAction *sub : dropDown->actions()) {
            const int number = sub->data().toInt();
            connect(sub, &QAction::triggered, this, [this, key, number] { tlbToolbar_ButtonMenuClick(key, number); });
        }
    }

    // List events.
    auto *hook = new EventHook(m_hooks.get(), [this](QObject *watched, QEvent *e) {
        const bool isKeywords = watched == lvwKeywords || watched == lvwKeywords->viewport();
        const bool isURLs = watched == lvwURLs || watched == lvwURLs->viewport();
        switch (e->type()) {
        case QEvent::KeyPress:
            if (isDeleteKey(e)) {
                if (watched == lvwKeywords)
                    lvwKeywords_KeyDown(kDeleteKeyCode);
                else if (watched == lvwURLs)
                    lvwURLs_KeyDown(kDeleteKeyCode);
                else
                    break;
                return true;
            }
            break;
        case QEvent::MouseMove:
            seam::SetPointer(seam::Pointer::Default);
            break;
        case QEvent::MouseButtonRelease: {
            auto *me = static_cast<QMouseEvent *>(e);
            if (me->button() != Qt::RightButton)
                break;
            if (isKeywords)
                ShowListMenu(QStringLiteral("Keywords"), me->globalPosition().toPoint());
            else if (isURLs)
                ShowListMenu(QStringLiteral("URL"), me->globalPosition().toPoint());
            break;
        }
        default:
            break;
        }
        return false;
    });
    for (QTreeView *list : std::initializer_list<QTreeView *>{lvwKeywords, lvwRanking, lvwURLs}) {
        list->installEventFilter(hook);
        list->viewport()->installEventFilter(hook);
        list->viewport()->setMouseTracking(true);
    }
    tlbToolbar->setMouseTracking(true);
    tlbToolbar->installEventFilter(hook);
    for (QAction *a : tlbToolbar->actions())
        if (QWidget *w = tlbToolbar->widgetForAction(a)) {
            w->setMouseTracking(true);
            w->installEventFilter(hook);
        }

    connect(lvwKeywords, &QTreeView::doubleClicked, this, &frmMain::lvwKeywords_DblClick);
    connect(lvwRanking, &QTreeWidget::itemDoubleClicked, this, &frmMain::lvwRanking_DblClick);
    connect(lvwURLs, &QTreeWidget::itemDoubleClicked, this, &frmMain::lvwURLs_DblClick);
    // URL > Open depends on the URL list's selection, which no refresh follows.
    connect(lvwURLs, &QTreeWidget::itemSelectionChanged, m_hooks.get(), [this] { lvwURLs_SelectionChanged(); });
    connect(lvwKeywords, &QTreeView::clicked, this, [this](const QModelIndex &index) { lvwKeywords_ItemClick(index.row()); });
    // Moving through the rows with the keyboard is a click on the new row.
    connect(lvwKeywords->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex &current) {
                if (current.isValid() && lvwKeywords->hasFocus() && QApplication::mouseButtons() == Qt::NoButton)
                    lvwKeywords_ItemClick(current.row());
            });

    // Runs while the window is open, to catch the next minimising.
    tmrTrayIcon = new QTimer(this);
    tmrTrayIcon->setObjectName(QStringLiteral("tmrTrayIcon"));
    tmrTrayIcon->setInterval(kTrayFirstInterval);
    connect(tmrTrayIcon, &QTimer::timeout, this, &frmMain::tmrTrayIcon_Timer);
    tmrTrayIcon->start();
    // Back from the tray (shown again at its old size, so without a resize).
    installEventFilter(new EventHook(m_hooks.get(), [this](QObject *watched, QEvent *e) {
        if (watched == this && e->type() == QEvent::Show && !isMinimized())
            tmrTrayIcon->start();
        return false;
    }));
}

frmMain::Command &frmMain::DispatchCommand(const QString &name) { return m_commands[name]; }

void frmMain::RunCommand(const QString &name) {
    const Command command = m_commands.value(name);
    if (command)
        command();
}

void frmMain::mnuItems_Click(const QString &menu, int index) {
    const QStringList commands = menuCommands().value(menu).value(index);
    for (const QString &c : commands)
        RunCommand(c);
}

void frmMain::tlbToolbar_ButtonClick(const QString &key) {
    const auto it = buttonRoutes().constFind(key);
    if (it == buttonRoutes().cend())
        return;
    if (it->menu)
        mnuItems_Click(L(it->menu), it->item);
    else
        RunCommand(L(it->command));
}

void frmMain::tlbToolbar_ButtonMenuClick(const QString &buttonKey, int item) {
    const auto buttonIt = dropDownRoutes().constFind(buttonKey);
    if (buttonIt == dropDownRoutes().cend())
        return;
    const auto it = buttonIt->constFind(item);
    if (it == buttonIt->cend())
        return;
    // "Edit Account" only for an account node, whatever its enabled state said.
    if (buttonKey == QLatin1String("NewAccount") && item == 2 && !treenode::IsAccount(tvwAccount->currentItem()))
        return;
    mnuItems_Click(L(it->menu), it->item);
}

void frmMain::tlbToolbar_ButtonDropDown() {
    if (QAction *edit = toolMenuItem(QStringLiteral("NewAccount"), QStringLiteral("EditAccount")))
        edit->setEnabled(treenode::IsAccount(tvwAccount->currentItem()));
}

void frmMain::lvwKeywords_ItemClick(int row) {
    try {
        if (row < 0 || row >= lvwKeywords->rowCount() || !lvwKeywords->selectionModel()->hasSelection())
            return;
        // The row shown last is known by its text: the list may have been refilled since.
        if (!m_sLastKeywordText.isNull() && m_sLastKeywordText == lvwKeywords->text(row, 0))
            return;
        UpdateUI(false, false, false);
    } catch (const std::exception &e) {
        WriteErrorLog(kItemClickLog + vb::Describe(e));
    }
}

void frmMain::lvwKeywords_DblClick() {
    try {
        if (lvwKeywords->rowCount() == 0)
            return;
        QString address;
        if (!m_sEngineName.isEmpty() && m_oEngine) {
            const int row = lvwKeywords->currentRow();
            if (row < 0)
                return;
            // The engine turns blanks into "+" and encodes the rest itself.
            address = m_oEngine->GetURL(m_sEngineName, vb::Trim(lvwKeywords->text(row, 1)));
        }
        if (!address.isEmpty())
            openAddress(address);
    } catch (const std::exception &e) {
        WriteErrorLog(kKeywordsDblClickLog + vb::Describe(e));
    }
}

void frmMain::lvwKeywords_KeyDown(int keyCode) {
    // Not while the item is disabled: during its account's look-up a deleted
    // keyword would come back when the look-up rewrites the keyword file.
    if (keyCode == kDeleteKeyCode && menuItem(QStringLiteral("Keywords"), 3)->isEnabled())
        mnuItems_Click(QStringLiteral("Keywords"), 3);
}

void frmMain::lvwRanking_DblClick() {
    try {
        if (lvwRanking->topLevelItemCount() == 0)
            return;
        QTreeWidgetItem *item = lvwRanking->currentItem();
        if (!item)
            return;
        const QString url = vb::Trim(item->text(2));
        if (!url.isEmpty())
            openAddress(url);
    } catch (const std::exception &e) {
        WriteErrorLog(kRankingDblClickLog + vb::Describe(e));
    }
}

void frmMain::lvwURLs_DblClick() {
    try {
        if (lvwURLs->topLevelItemCount() == 0)
            return;
        QTreeWidgetItem *item = lvwURLs->currentItem();
        if (!item)
            return;
        openAddress(item->text(0));
    } catch (const std::exception &e) {
        WriteErrorLog(kURLsDblClickLog + vb::Describe(e));
    }
}

void frmMain::lvwURLs_KeyDown(int keyCode) {
    // The URL dialog is where URLs are removed; it cannot open during the account's look-up.
    if (keyCode == kDeleteKeyCode && menuItem(QStringLiteral("URL"), 1)->isEnabled())
        mnuItems_Click(QStringLiteral("URL"), 1);
}

void frmMain::ShowListMenu(const QString &menu, const QPoint &globalPos) {
    if (QMenu *popup = findChild<QMenu *>(QStringLiteral("mnu") + menu))
        popup->popup(globalPos);
}

void frmMain::mnuURLOpen() {
    QTreeWidgetItem *item = lvwURLs->currentItem();
    if (!item || !item->isSelected())
        return;
    openAddress(item->text(0));
}

void frmMain::mnuHelpContents() {
    const QString helpFile =
        m_sHelpFile.isEmpty() ? platform::JoinPath(platform::ProgramFolder(), kHelpFileName) : m_sHelpFile;
    if (QFileInfo(helpFile).isFile())
        ::ShellOpen(helpFile, kShowNormal);
    else
        seam::MsgBox(kHelpMissingStart + helpFile + kHelpMissingEnd, seam::vbInformation, kHelpTitle);
}

void frmMain::mnuHelpSupport() {
    if (g_oDealerInfo)
        ::ShellOpen(g_oDealerInfo->SupportURL(), kShowNormal);
}

void frmMain::mnuHelpWeb() {
    if (g_oDealerInfo)
        ::ShellOpen(g_oDealerInfo->DealerURL(), kShowNormal);
}

void frmMain::mnuHelpAbout() { frmAbout::ShowModal(this); }

void frmMain::tmrTrayIcon_Timer() {
    tmrTrayIcon->setInterval(kTrayInterval);
    if (!isMinimized())
        return;
    // Without an icon to come back by, the window stays minimised in the task bar.
    // The state stays minimised while hidden: un-minimising would map the
    // window again on X11. Open sets it back to normal as it shows it.
    if (m_frmTrayIcon && m_frmTrayIcon->cTray() && TrayIcon::IsAvailable())
        hide();
    // Showing the window again switches it back on.
    tmrTrayIcon->stop();
}

void frmMain::LoadTrayIcon() {
    if (m_frmTrayIcon)
        return;
    m_frmTrayIcon = new frmTrayIcon(this);
    m_frmTrayIcon->Form_Load();
}

void frmMain::UnloadTrayIcon() {
    if (!m_frmTrayIcon)
        return;
    m_frmTrayIcon->Form_Unload();
    // The tray menu that asked for the exit may still be on the stack.
    m_frmTrayIcon->deleteLater();
    m_frmTrayIcon.clear();
}

frmTrayIcon *frmMain::TrayHost() const { return m_frmTrayIcon.data(); }
