// A short-lived, value-like handle on one node of a notebook document: a
// copy of the node's record, questions about it, writing it back, new nodes
// with their defaults, tree and list entries, node passwords, copies within
// and between notebooks, and the node's payload object.
#pragma once

#include "core/QlcRecords.h"

#include "framework/base/AfxDefs.h"

#include <commctrl.h>

#include <utility>
#include <vector>

class CQlcNodeData;
class CQuillcrestDoc;

// Tree and list overlay images of a node.
const int QLC_OVERLAY_ENCRYPTED = 4;
const int QLC_OVERLAY_TASK = 5;

class CQlcNode
{
public:
    CQlcNode();
    CQlcNode(CQuillcrestDoc* pDoc, DWORD dwNodeId);
    // Copies take the record, never the payload object.
    CQlcNode(const CQlcNode& other);
    CQlcNode& operator=(const CQlcNode& other);
    virtual ~CQlcNode();

    // Reads the node's record; FALSE (an invalid handle) when it is absent.
    BOOL Open(CQuillcrestDoc* pDoc, DWORD dwNodeId);
    BOOL IsValid() const { return m_bValid; }

    BYTE GetType() const { return m_bValid ? m_node.nType : (BYTE)255; }
    LPCSTR GetName() const { return m_bValid ? (LPCSTR)m_node.strName : nullptr; }
    DWORD GetId() const { return m_bValid ? m_node.dwNodeId : 0; }
    DWORD GetParentId() const { return m_bValid ? m_node.dwParentId : 0; }
    DWORD GetPlainSize() const { return m_bValid ? m_node.dwPlainSize : 0; }
    DWORD GetDataSize() const { return m_bValid ? m_node.dwStoredSize : 0; }
    DWORD GetKeyLength() const { return m_bValid ? m_node.dwKeyLength : 0; }
    DWORD GetHashId() const { return m_bValid ? m_node.dwHashId : 0; }
    DWORD GetCipherId() const { return m_bValid ? m_node.dwCipherId : 0; }
    DWORD GetVerifierLength() const { return m_bValid ? m_node.dwVerifierLength : 0; }
    // The record as this handle holds it.
    const QLCNODE& GetRecord() const { return m_node; }

    BOOL IsFolder() const { return m_bValid && IsFolderType(m_node.nType); }
    static BOOL IsFolderType(BYTE nType) { return nType == QLC_NODE_FOLDER; }
    static BOOL IsDataType(BYTE nType);
    BOOL HasDataType() const { return m_bValid && IsDataType(m_node.nType); }
    BOOL HasData() const { return HasDataType() && m_node.dwStoredSize != 0; }
    BOOL IsCompressed() const { return m_bValid && (m_node.dwFlags & QLC_NODEFLAG_COMPRESSED) != 0; }
    BOOL IsEncrypted() const { return m_bValid && (m_node.dwFlags & QLC_NODEFLAG_ENCRYPTED) != 0; }
    BOOL HasTask() const;
    CQuillcrestDoc* GetDocument() const { return m_pDoc; }

    // Change the handle's copy only; Update stores it.
    void SetParent(DWORD dwParentId) { m_node.dwParentId = dwParentId; }
    void SetName(LPCSTR lpszName) { m_node.strName = lpszName; }
    // Stores the record; with bModified FALSE the document's modified flag
    // stays as it was.
    void Update(BOOL bModified);

    // Remembers (or forgets) the password entered for the node and stores
    // it with the record, leaving the modified flag alone.
    void SetPassword(BOOL bKnown, LPCSTR lpszPassword);
    CString GetPassword() const;
    BOOL HasPassword() const { return m_bValid && m_node.bPasswordKnown; }

    // The node's payload object, made on the first call and opened for
    // reading or writing; later calls return it as it is, whatever its mode.
    // Null for an invalid handle. The handle owns it.
    CQlcNodeData* GetDataForRead();
    CQlcNodeData* GetDataForWrite(BOOL bCompress);

    // Makes a new node of the type under the parent with the type's icon and
    // the name (the type's default name when null). A valid handle is left
    // as it is.
    BOOL Create(CQuillcrestDoc* pDoc, BYTE nType, LPCSTR lpszName, DWORD dwParentId);
    static WORD GetDefaultIcon(BYTE nType);
    static CString GetDefaultName(BYTE nType);

    // Tree and find-list entries: text, image, node id and the overlay
    // (encrypted before linked task). The text points into this handle.
    void GetInsertStruct(TVINSERTSTRUCTA& tvis) const;
    void GetListItem(LVITEMA& item) const;

    // Whether the password is the node's: FALSE without a key length, without
    // the encryption library or when it refuses the node's cipher.
    BOOL CheckPassword(LPCSTR lpszPassword);
    // Re-encodes the node for a new cipher (or none: cipher id and key length
    // 0) and password; the old password deciphers it. TRUE when done; on
    // FALSE the node is as it was. The handle then remembers the new password.
    BOOL SetEncryption(DWORD dwCipherId, DWORD dwKeyLength, DWORD dwHashId, LPCSTR lpszNewPassword,
                       DWORD dwNewPasswordLength, LPCSTR lpszOldPassword, DWORD dwOldPasswordLength);
    // Makes this (invalid) handle a copy of the source node in the target
    // document: top level, keywords mapped by text between notebooks, the
    // payload shared within one notebook and copied as stored between two.
    // FALSE when this handle is valid, the source is not, or the payload
    // could not be copied (the new node then has no payload).
    BOOL CopyTo(CQuillcrestDoc* pTarget, const CQlcNode& source);
    // Copies a node and everything below it under a parent of the target
    // document (0: the top level), each node by CopyTo under a new id. The
    // branch is read before anything is written, so a copy into the branch
    // itself never copies its own copies. All or nothing: when one node
    // cannot be copied, the copies made are deleted, the target's modified
    // flag is as it was and FALSE returned. ids gets (source id, new id)
    // pairs, each parent before its children.
    static BOOL CopyBranch(CQuillcrestDoc* pTarget, DWORD dwTargetParentId, CQuillcrestDoc* pSource, DWORD dwSourceId,
                           std::vector<std::pair<DWORD, DWORD>>& ids);

private:
    int GetOverlay() const;
    void DeleteData();

    BOOL m_bValid;
    DWORD m_dwNodeId;
    CQuillcrestDoc* m_pDoc;
    QLCNODE m_node;
    CQlcNodeData* m_pData;
};
