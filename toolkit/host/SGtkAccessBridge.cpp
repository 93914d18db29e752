#include "toolkit/host/SGtkAccessBridge.h"

#include <gtk/gtk-a11y.h>

#include <algorithm>
#include <cwctype>
#include <string>

#include "toolkit/host/SGtkText.h"

namespace SOUI {

namespace {

// Changes come in bursts (a progress step every 10 ms); telling listeners
// of each would flood the bus.
constexpr guint kRefreshMs = 30;

// ---- the accessible object of one control ------------------------------

struct NodeData {
    SGtkAccessBridge* pBridge = nullptr;  // null once the window is gone
    HostAccNode node;
};

struct SAtkNode {
    AtkObject parent;
    NodeData* pData;
};
struct SAtkNodeClass {
    AtkObjectClass parent_class;
};

void ComponentInit(AtkComponentIface* pIface);
void ActionInit(AtkActionIface* pIface);
void ValueInit(AtkValueIface* pIface);
void TextInit(AtkTextIface* pIface);

G_DEFINE_TYPE_WITH_CODE(SAtkNode, s_atk_node, ATK_TYPE_OBJECT,
                        G_IMPLEMENT_INTERFACE(ATK_TYPE_COMPONENT, ComponentInit))

// Kinds with the interfaces their role needs, so a client asking a button
// for a value, or a label for an action, finds none.
#define S_ATK_NODE_KIND(TypeName, prefix, IFACE_TYPE, IfaceInit)          \
    struct TypeName {                                                     \
        SAtkNode parent;                                                  \
    };                                                                    \
    struct TypeName##Class {                                              \
        SAtkNodeClass parent_class;                                       \
    };                                                                    \
    G_DEFINE_TYPE_WITH_CODE(TypeName, prefix, s_atk_node_get_type(),      \
                            G_IMPLEMENT_INTERFACE(IFACE_TYPE, IfaceInit)) \
    void prefix##_class_init(TypeName##Class*) {}                         \
    void prefix##_init(TypeName*) {}

S_ATK_NODE_KIND(SAtkActionNode, s_atk_action_node, ATK_TYPE_ACTION, ActionInit)
S_ATK_NODE_KIND(SAtkValueNode, s_atk_value_node, ATK_TYPE_VALUE, ValueInit)
S_ATK_NODE_KIND(SAtkTextNode, s_atk_text_node, ATK_TYPE_TEXT, TextInit)

NodeData* DataOf(gpointer pObj) {
    return reinterpret_cast<SAtkNode*>(pObj)->pData;
}

GType TypeFor(HostAccRole eRole) {
    switch (eRole) {
        case HostAccRole::PushButton:
        case HostAccRole::CheckBox:
        case HostAccRole::Link:
            return s_atk_action_node_get_type();
        case HostAccRole::ProgressBar:
            return s_atk_value_node_get_type();
        case HostAccRole::Label:
        case HostAccRole::Document:
        case HostAccRole::Entry:
            return s_atk_text_node_get_type();
        default:
            return s_atk_node_get_type();
    }
}

AtkRole RoleFor(HostAccRole eRole) {
    switch (eRole) {
        case HostAccRole::Label:
            return ATK_ROLE_LABEL;
        case HostAccRole::PushButton:
            return ATK_ROLE_PUSH_BUTTON;
        case HostAccRole::CheckBox:
            return ATK_ROLE_CHECK_BOX;
        case HostAccRole::Link:
            return ATK_ROLE_LINK;
        case HostAccRole::Entry:
            return ATK_ROLE_ENTRY;
        case HostAccRole::ProgressBar:
            return ATK_ROLE_PROGRESS_BAR;
        case HostAccRole::Image:
            return ATK_ROLE_IMAGE;
        case HostAccRole::Document:
            return ATK_ROLE_DOCUMENT_TEXT;
        case HostAccRole::Ignored:
            break;
    }
    return ATK_ROLE_UNKNOWN;
}

// Each model state and the ATK states it stands for.
struct StateMap {
    unsigned nBit;
    AtkStateType eFirst;
    AtkStateType eSecond;  // ATK_STATE_INVALID: none
};
const StateMap kStates[] = {
    {kAccEnabled, ATK_STATE_ENABLED, ATK_STATE_SENSITIVE},
    {kAccVisible, ATK_STATE_VISIBLE, ATK_STATE_SHOWING},
    {kAccFocusable, ATK_STATE_FOCUSABLE, ATK_STATE_INVALID},
    {kAccFocused, ATK_STATE_FOCUSED, ATK_STATE_INVALID},
    {kAccCheckable, ATK_STATE_CHECKABLE, ATK_STATE_INVALID},
    {kAccChecked, ATK_STATE_CHECKED, ATK_STATE_INVALID},
    {kAccReadOnly, ATK_STATE_READ_ONLY, ATK_STATE_INVALID},
    {kAccMultiLine, ATK_STATE_MULTI_LINE, ATK_STATE_INVALID},
    {kAccDefault, ATK_STATE_DEFAULT, ATK_STATE_INVALID},
};

void s_atk_node_init(SAtkNode* pSelf) {
    pSelf->pData = new NodeData;
}

void NodeFinalize(GObject* pObj) {
    delete DataOf(pObj);
    G_OBJECT_CLASS(s_atk_node_parent_class)->finalize(pObj);
}

AtkStateSet* NodeRefStateSet(AtkObject* pObj) {
    AtkStateSet* pSet = atk_state_set_new();
    const NodeData* pData = DataOf(pObj);
    if (!pData->pBridge) {
        atk_state_set_add_state(pSet, ATK_STATE_DEFUNCT);
        return pSet;
    }
    for (const StateMap& map : kStates) {
        if (pData->node.nStates & map.nBit) {
            atk_state_set_add_state(pSet, map.eFirst);
            if (map.eSecond != ATK_STATE_INVALID) {
                atk_state_set_add_state(pSet, map.eSecond);
            }
        }
    }
    return pSet;
}

gint NodeIndexInParent(AtkObject* pObj) {
    const NodeData* pData = DataOf(pObj);
    return pData->pBridge ? pData->pBridge->IndexOf(pObj) : -1;
}

void s_atk_node_class_init(SAtkNodeClass* pClass) {
    G_OBJECT_CLASS(pClass)->finalize = NodeFinalize;
    AtkObjectClass* pAtk = ATK_OBJECT_CLASS(pClass);
    pAtk->ref_state_set = NodeRefStateSet;
    pAtk->get_index_in_parent = NodeIndexInParent;
}

// AtkComponent: extents and focus.
void NodeGetExtents(AtkComponent* pComp, gint* pX, gint* pY, gint* pWidth, gint* pHeight,
                    AtkCoordType eCoords) {
    const NodeData* pData = DataOf(pComp);
    const HostRect& rc = pData->node.rc;
    int nOrgX = 0, nOrgY = 0;
    if (pData->pBridge && eCoords == ATK_XY_SCREEN) {
        pData->pBridge->GetWindowOrigin(nOrgX, nOrgY);
    }
    *pX = rc.left + nOrgX;
    *pY = rc.top + nOrgY;
    *pWidth = rc.Width();
    *pHeight = rc.Height();
}

gboolean NodeGrabFocus(AtkComponent* pComp) {
    NodeData* pData = DataOf(pComp);
    if (!pData->pBridge || !(pData->node.nStates & kAccFocusable)) {
        return FALSE;
    }
    pData->pBridge->QueueFocus(pData->node.nId);
    return TRUE;
}

AtkLayer NodeGetLayer(AtkComponent*) {
    return ATK_LAYER_WIDGET;
}

void ComponentInit(AtkComponentIface* pIface) {
    pIface->get_extents = NodeGetExtents;
    pIface->grab_focus = NodeGrabFocus;
    pIface->get_layer = NodeGetLayer;
}

// AtkAction: the click.
gboolean NodeDoAction(AtkAction* pAction, gint nIndex) {
    NodeData* pData = DataOf(pAction);
    const unsigned nNeeded = kAccEnabled | kAccVisible;
    if (nIndex != 0 || !pData->pBridge || (pData->node.nStates & nNeeded) != nNeeded) {
        return FALSE;
    }
    pData->pBridge->QueueAction(pData->node.nId);
    return TRUE;
}

gint NodeGetNActions(AtkAction*) {
    return 1;
}

const gchar* NodeGetActionName(AtkAction*, gint nIndex) {
    return nIndex == 0 ? "click" : nullptr;
}

void ActionInit(AtkActionIface* pIface) {
    pIface->do_action = NodeDoAction;
    pIface->get_n_actions = NodeGetNActions;
    pIface->get_name = NodeGetActionName;
    pIface->get_localized_name = NodeGetActionName;
}

// AtkValue: the progress bar's value and range.
void SetDouble(GValue* pValue, double d) {
    memset(pValue, 0, sizeof(GValue));
    g_value_init(pValue, G_TYPE_DOUBLE);
    g_value_set_double(pValue, d);
}

void NodeGetCurrentValue(AtkValue* pValue, GValue* pOut) {
    SetDouble(pOut, DataOf(pValue)->node.dValue);
}

void NodeGetMaximumValue(AtkValue* pValue, GValue* pOut) {
    SetDouble(pOut, DataOf(pValue)->node.dMax);
}

void NodeGetMinimumValue(AtkValue* pValue, GValue* pOut) {
    SetDouble(pOut, DataOf(pValue)->node.dMin);
}

void NodeGetValueAndText(AtkValue* pValue, gdouble* pCurrent, gchar** ppText) {
    *pCurrent = DataOf(pValue)->node.dValue;
    if (ppText) {
        *ppText = nullptr;
    }
}

AtkRange* NodeGetRange(AtkValue* pValue) {
    const HostAccNode& node = DataOf(pValue)->node;
    return atk_range_new(node.dMin, node.dMax, nullptr);
}

gdouble NodeGetIncrement(AtkValue*) {
    return 1.0;
}

void ValueInit(AtkValueIface* pIface) {
    pIface->get_current_value = NodeGetCurrentValue;
    pIface->get_maximum_value = NodeGetMaximumValue;
    pIface->get_minimum_value = NodeGetMinimumValue;
    pIface->get_value_and_text = NodeGetValueAndText;
    pIface->get_range = NodeGetRange;
    pIface->get_increment = NodeGetIncrement;
}

// AtkText: what a label or document says, by character, word, line.
const std::wstring& TextOf(AtkText* pText) {
    return DataOf(pText)->node.strText;
}

gchar* NodeGetText(AtkText* pText, gint nStart, gint nEnd) {
    const std::wstring& str = TextOf(pText);
    const gint nLen = static_cast<gint>(str.size());
    if (nEnd < 0 || nEnd > nLen) {
        nEnd = nLen;
    }
    nStart = std::clamp(nStart, 0, nEnd);
    return g_strdup(GtkTextFromWide(str.substr(size_t(nStart), size_t(nEnd - nStart))).c_str());
}

gint NodeGetCharacterCount(AtkText* pText) {
    return static_cast<gint>(TextOf(pText).size());
}

gunichar NodeGetCharacterAtOffset(AtkText* pText, gint nOffset) {
    const std::wstring& str = TextOf(pText);
    return nOffset >= 0 && size_t(nOffset) < str.size() ? static_cast<gunichar>(str[nOffset]) : 0;
}

gint NodeGetCaretOffset(AtkText*) {
    return 0;
}

gchar* NodeGetStringAtOffset(AtkText* pText, gint nOffset, AtkTextGranularity eGranularity,
                             gint* pStart, gint* pEnd) {
    const std::wstring& str = TextOf(pText);
    const size_t nLen = str.size();
    size_t nAt = std::min(static_cast<size_t>(std::max(nOffset, 0)), nLen);
    size_t nFrom = nAt, nTo = nAt;
    switch (eGranularity) {
        case ATK_TEXT_GRANULARITY_CHAR:
            nTo = std::min(nAt + 1, nLen);
            break;
        case ATK_TEXT_GRANULARITY_WORD:
            // From the word's start to the next word's start.
            while (nFrom > 0 && !std::iswspace(str[nFrom - 1])) {
                --nFrom;
            }
            while (nTo < nLen && !std::iswspace(str[nTo])) {
                ++nTo;
            }
            while (nTo < nLen && std::iswspace(str[nTo])) {
                ++nTo;
            }
            break;
        default:
            // Sentences, lines and paragraphs: the paragraph, its break included.
            while (nFrom > 0 && str[nFrom - 1] != L'\n') {
                --nFrom;
            }
            while (nTo < nLen && str[nTo] != L'\n') {
                ++nTo;
            }
            nTo = std::min(nTo + 1, nLen);
            break;
    }
    *pStart = static_cast<gint>(nFrom);
    *pEnd = static_cast<gint>(nTo);
    return g_strdup(GtkTextFromWide(str.substr(nFrom, nTo - nFrom)).c_str());
}

gchar* NodeGetTextAtOffset(AtkText* pText, gint nOffset, AtkTextBoundary eBoundary, gint* pStart,
                           gint* pEnd) {
    AtkTextGranularity eGranularity = ATK_TEXT_GRANULARITY_LINE;
    if (eBoundary == ATK_TEXT_BOUNDARY_CHAR) {
        eGranularity = ATK_TEXT_GRANULARITY_CHAR;
    } else if (eBoundary == ATK_TEXT_BOUNDARY_WORD_START ||
               eBoundary == ATK_TEXT_BOUNDARY_WORD_END) {
        eGranularity = ATK_TEXT_GRANULARITY_WORD;
    }
    return NodeGetStringAtOffset(pText, nOffset, eGranularity, pStart, pEnd);
}

gint NodeGetNSelections(AtkText*) {
    return 0;
}

void TextInit(AtkTextIface* pIface) {
    pIface->get_text = NodeGetText;
    pIface->get_character_count = NodeGetCharacterCount;
    pIface->get_character_at_offset = NodeGetCharacterAtOffset;
    pIface->get_caret_offset = NodeGetCaretOffset;
    pIface->get_string_at_offset = NodeGetStringAtOffset;
    pIface->get_text_at_offset = NodeGetTextAtOffset;
    pIface->get_n_selections = NodeGetNSelections;
}

// ---- the canvas and its accessible object -------------------------------

struct SGtkAccessCanvas {
    GtkFixed parent;
    SGtkAccessBridge* pBridge;
};
struct SGtkAccessCanvasClass {
    GtkFixedClass parent_class;
};

struct SGtkCanvasAccessible {
    GtkContainerAccessible parent;
};
struct SGtkCanvasAccessibleClass {
    GtkContainerAccessibleClass parent_class;
};
G_DEFINE_TYPE(SGtkCanvasAccessible, s_gtk_canvas_accessible, GTK_TYPE_CONTAINER_ACCESSIBLE)
G_DEFINE_TYPE(SGtkAccessCanvas, s_gtk_access_canvas, GTK_TYPE_FIXED)

SGtkAccessBridge* BridgeOfWidget(GtkWidget* pWidget) {
    if (!pWidget || !G_TYPE_CHECK_INSTANCE_TYPE(pWidget, s_gtk_access_canvas_get_type())) {
        return nullptr;
    }
    return reinterpret_cast<SGtkAccessCanvas*>(pWidget)->pBridge;
}

SGtkAccessBridge* BridgeOfAccessible(AtkObject* pObj) {
    return BridgeOfWidget(gtk_accessible_get_widget(GTK_ACCESSIBLE(pObj)));
}

gint CanvasGetNChildren(AtkObject* pObj) {
    SGtkAccessBridge* pBridge = BridgeOfAccessible(pObj);
    return pBridge ? pBridge->GetChildCount() : 0;
}

AtkObject* CanvasRefChild(AtkObject* pObj, gint nIndex) {
    SGtkAccessBridge* pBridge = BridgeOfAccessible(pObj);
    return pBridge ? pBridge->RefChild(nIndex) : nullptr;
}

// The native entries come and go with the model, which reports them.
gint CanvasChildAddedOrRemoved(GtkContainer* pContainer, GtkWidget*, gpointer) {
    if (SGtkAccessBridge* pBridge = BridgeOfWidget(GTK_WIDGET(pContainer))) {
        pBridge->ScheduleRefresh();
    }
    return 1;
}

void s_gtk_canvas_accessible_class_init(SGtkCanvasAccessibleClass* pClass) {
    AtkObjectClass* pAtk = ATK_OBJECT_CLASS(pClass);
    pAtk->get_n_children = CanvasGetNChildren;
    pAtk->ref_child = CanvasRefChild;
    GtkContainerAccessibleClass* pContainer = GTK_CONTAINER_ACCESSIBLE_CLASS(pClass);
    pContainer->add_gtk = CanvasChildAddedOrRemoved;
    pContainer->remove_gtk = CanvasChildAddedOrRemoved;
}

void s_gtk_canvas_accessible_init(SGtkCanvasAccessible*) {}

void s_gtk_access_canvas_class_init(SGtkAccessCanvasClass* pClass) {
    gtk_widget_class_set_accessible_type(GTK_WIDGET_CLASS(pClass),
                                         s_gtk_canvas_accessible_get_type());
}

void s_gtk_access_canvas_init(SGtkAccessCanvas* pSelf) {
    pSelf->pBridge = nullptr;
}

std::string Utf8(const std::wstring& str) {
    return GtkTextFromWide(str);
}

// Names and descriptions only notify when they really change.
void SyncNameAndDescription(AtkObject* pObj, const HostAccNode& node) {
    std::string strName = Utf8(node.strName);
    const gchar* pszName = atk_object_get_name(pObj);
    if (strName != (pszName ? pszName : "")) {
        atk_object_set_name(pObj, strName.c_str());
    }
    std::string strDesc = Utf8(node.strDescription);
    const gchar* pszDesc = atk_object_get_description(pObj);
    if (strDesc != (pszDesc ? pszDesc : "")) {
        atk_object_set_description(pObj, strDesc.c_str());
    }
}

// Tells listeners what changed between two looks at one control.
void AnnounceChanges(AtkObject* pObj, const HostAccNode& oldNode, const HostAccNode& newNode) {
    for (const StateMap& map : kStates) {
        bool bNow = (newNode.nStates & map.nBit) != 0;
        if (bNow == ((oldNode.nStates & map.nBit) != 0)) {
            continue;
        }
        atk_object_notify_state_change(pObj, map.eFirst, bNow);
        if (map.eSecond != ATK_STATE_INVALID) {
            atk_object_notify_state_change(pObj, map.eSecond, bNow);
        }
    }
    if (ATK_IS_VALUE(pObj) && (newNode.dValue != oldNode.dValue || newNode.dMax != oldNode.dMax ||
                               newNode.dMin != oldNode.dMin)) {
        g_object_notify(G_OBJECT(pObj), "accessible-value");
        g_signal_emit_by_name(pObj, "value-changed", newNode.dValue, static_cast<gchar*>(nullptr));
    }
    if (ATK_IS_TEXT(pObj) && newNode.strText != oldNode.strText) {
        std::string strOld = Utf8(oldNode.strText);
        std::string strNew = Utf8(newNode.strText);
        if (!oldNode.strText.empty()) {
            g_signal_emit_by_name(pObj, "text-remove", 0, static_cast<gint>(oldNode.strText.size()),
                                  strOld.c_str());
        }
        if (!newNode.strText.empty()) {
            g_signal_emit_by_name(pObj, "text-insert", 0, static_cast<gint>(newNode.strText.size()),
                                  strNew.c_str());
        }
    }
}

}  // namespace

GtkWidget* SGtkAccessCanvasNew() {
    return GTK_WIDGET(g_object_new(s_gtk_access_canvas_get_type(), nullptr));
}

SGtkAccessBridge::SGtkAccessBridge(GtkWidget* pWindow, GtkWidget* pCanvas,
                                   ISGtkAccessProvider* pProvider, bool bDialog)
    : m_pWindow(pWindow), m_pCanvas(pCanvas), m_pProvider(pProvider) {
    if (!BridgeOfWidget(pCanvas) && pCanvas &&
        G_TYPE_CHECK_INSTANCE_TYPE(pCanvas, s_gtk_access_canvas_get_type())) {
        reinterpret_cast<SGtkAccessCanvas*>(pCanvas)->pBridge = this;
        g_signal_connect(pCanvas, "destroy", G_CALLBACK(OnCanvasDestroyed), this);
    } else {
        m_pCanvas = nullptr;
    }
    // GTK calls every undecorated top-level a frame.
    if (bDialog && m_pWindow) {
        atk_object_set_role(gtk_widget_get_accessible(m_pWindow), ATK_ROLE_DIALOG);
    }
}

SGtkAccessBridge::~SGtkAccessBridge() {
    Detach();
}

void SGtkAccessBridge::Detach() {
    if (m_nRefresh) {
        g_source_remove(m_nRefresh);
        m_nRefresh = 0;
    }
    if (m_nRequests) {
        g_source_remove(m_nRequests);
        m_nRequests = 0;
    }
    m_requests.clear();
    if (m_pCanvas) {
        g_signal_handlers_disconnect_by_data(m_pCanvas, this);
        reinterpret_cast<SGtkAccessCanvas*>(m_pCanvas)->pBridge = nullptr;
        m_pCanvas = nullptr;
    }
    // Clients may still hold the objects: they turn defunct.
    for (auto& [nId, pObj] : m_nodes) {
        DataOf(pObj)->pBridge = nullptr;
        atk_object_notify_state_change(pObj, ATK_STATE_DEFUNCT, TRUE);
        g_object_unref(pObj);
    }
    m_nodes.clear();
    m_children.clear();
    m_pProvider = nullptr;
    m_pWindow = nullptr;
}

void SGtkAccessBridge::OnCanvasDestroyed(GtkWidget*, gpointer pThis) {
    static_cast<SGtkAccessBridge*>(pThis)->Detach();
}

void SGtkAccessBridge::ScheduleRefresh() {
    // Until a client has looked there is nobody to tell.
    if (!m_bLive || m_nRefresh || !m_pCanvas) {
        return;
    }
    m_nRefresh =
        g_timeout_add_full(G_PRIORITY_DEFAULT_IDLE, kRefreshMs, OnRefreshTimeout, this, nullptr);
}

gboolean SGtkAccessBridge::OnRefreshTimeout(gpointer pThis) {
    auto* pSelf = static_cast<SGtkAccessBridge*>(pThis);
    pSelf->m_nRefresh = 0;
    pSelf->Refresh();
    return G_SOURCE_REMOVE;
}

void SGtkAccessBridge::EnsureLive() {
    if (m_bLive || !m_pProvider || !m_pCanvas) {
        return;
    }
    m_bLive = true;
    Refresh();
}

void SGtkAccessBridge::Refresh() {
    if (!m_bLive || !m_pProvider || !m_pCanvas) {
        return;
    }
    // The first look builds the list; only later looks announce changes.
    const bool bAnnounce = !m_children.empty();
    std::vector<HostAccNode> nodes;
    m_pProvider->GetAccNodes(nodes);
    std::vector<AtkObject*> children;
    children.reserve(nodes.size());
    std::map<uintptr_t, AtkObject*> kept;
    for (const HostAccNode& node : nodes) {
        AtkObject* pObj = NodeFor(node);
        children.push_back(pObj);
        if (auto it = m_nodes.find(node.nId); it != m_nodes.end() && it->second == pObj) {
            kept.emplace(*it);
            m_nodes.erase(it);
        }
    }
    // Controls that left the model for good.
    for (auto& [nId, pObj] : m_nodes) {
        DataOf(pObj)->pBridge = nullptr;
        atk_object_notify_state_change(pObj, ATK_STATE_DEFUNCT, TRUE);
        g_object_unref(pObj);
    }
    m_nodes = std::move(kept);
    std::vector<AtkObject*> oldChildren = std::move(m_children);
    m_children = std::move(children);
    if (!bAnnounce) {
        return;
    }
    AtkObject* pCanvasAcc = gtk_widget_get_accessible(m_pCanvas);
    for (size_t i = oldChildren.size(); i-- > 0;) {
        if (std::find(m_children.begin(), m_children.end(), oldChildren[i]) == m_children.end()) {
            g_signal_emit_by_name(pCanvasAcc, "children-changed::remove", static_cast<guint>(i),
                                  oldChildren[i]);
        }
    }
    for (size_t i = 0; i < m_children.size(); ++i) {
        if (std::find(oldChildren.begin(), oldChildren.end(), m_children[i]) == oldChildren.end()) {
            g_signal_emit_by_name(pCanvasAcc, "children-changed::add", static_cast<guint>(i),
                                  m_children[i]);
        }
    }
}

AtkObject* SGtkAccessBridge::NodeFor(const HostAccNode& node) {
    if (node.nEditId) {
        if (GtkWidget* pEntry = m_pProvider->GetEditWidget(node.nEditId)) {
            // The entry speaks for itself; it only needs its name.
            AtkObject* pAcc = gtk_widget_get_accessible(pEntry);
            SyncNameAndDescription(pAcc, node);
            return pAcc;
        }
    }
    const GType eType = TypeFor(node.eRole);
    auto it = m_nodes.find(node.nId);
    if (it != m_nodes.end() && G_OBJECT_TYPE(it->second) == eType) {
        AtkObject* pObj = it->second;
        NodeData* pData = DataOf(pObj);
        HostAccNode oldNode = std::move(pData->node);
        pData->node = node;
        SyncNameAndDescription(pObj, node);
        AnnounceChanges(pObj, oldNode, node);
        return pObj;
    }
    if (it != m_nodes.end()) {
        DataOf(it->second)->pBridge = nullptr;
        g_object_unref(it->second);
        m_nodes.erase(it);
    }
    AtkObject* pObj = ATK_OBJECT(g_object_new(eType, nullptr));
    NodeData* pData = DataOf(pObj);
    pData->pBridge = this;
    pData->node = node;
    atk_object_set_role(pObj, RoleFor(node.eRole));
    SyncNameAndDescription(pObj, node);
    atk_object_set_parent(pObj, gtk_widget_get_accessible(m_pCanvas));
    m_nodes[node.nId] = pObj;
    return pObj;
}

int SGtkAccessBridge::GetChildCount() {
    EnsureLive();
    return static_cast<int>(m_children.size());
}

AtkObject* SGtkAccessBridge::RefChild(int nIndex) {
    EnsureLive();
    if (nIndex < 0 || size_t(nIndex) >= m_children.size()) {
        return nullptr;
    }
    return ATK_OBJECT(g_object_ref(m_children[size_t(nIndex)]));
}

int SGtkAccessBridge::IndexOf(AtkObject* pObj) const {
    auto it = std::find(m_children.begin(), m_children.end(), pObj);
    return it == m_children.end() ? -1 : static_cast<int>(it - m_children.begin());
}

void SGtkAccessBridge::QueueAction(uintptr_t nId) {
    m_requests.emplace_back(nId, true);
    if (!m_nRequests) {
        m_nRequests = g_idle_add(OnRequestIdle, this);
    }
}

void SGtkAccessBridge::QueueFocus(uintptr_t nId) {
    m_requests.emplace_back(nId, false);
    if (!m_nRequests) {
        m_nRequests = g_idle_add(OnRequestIdle, this);
    }
}

gboolean SGtkAccessBridge::OnRequestIdle(gpointer pThis) {
    auto* pSelf = static_cast<SGtkAccessBridge*>(pThis);
    pSelf->m_nRequests = 0;
    if (pSelf->m_requests.empty() || !pSelf->m_pProvider) {
        return G_SOURCE_REMOVE;
    }
    auto [nId, bAction] = pSelf->m_requests.front();
    pSelf->m_requests.erase(pSelf->m_requests.begin());
    if (!pSelf->m_requests.empty()) {
        pSelf->m_nRequests = g_idle_add(OnRequestIdle, pSelf);
    }
    // One request per turn: it may close the window and this bridge with it.
    ISGtkAccessProvider* pProvider = pSelf->m_pProvider;
    if (bAction) {
        pProvider->DoAccAction(nId);
    } else {
        pProvider->FocusAccNode(nId);
    }
    return G_SOURCE_REMOVE;
}

void SGtkAccessBridge::GetWindowOrigin(int& x, int& y) const {
    x = y = 0;
    GdkWindow* pGdk = m_pWindow ? gtk_widget_get_window(m_pWindow) : nullptr;
    if (pGdk) {
        gdk_window_get_origin(pGdk, &x, &y);
    }
}

}  // namespace SOUI
