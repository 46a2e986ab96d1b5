// A seam for the crash-safety tests: the notebook file code reports the
// steps at which the program dying would matter, so that a test can stop a
// process exactly there. The program installs no probe.
#pragma once

#include "framework/base/AfxDefs.h"

class IQlcFileProbe
{
public:
    enum
    {
        stepFilesCreated = 1,  // a save has made its new file(s), nothing written yet
        stepPayloadCopied,     // a save has copied one more payload into the plain file
        stepPlainWritten,      // the plain file of a save is complete
        stepChunkEnciphered,   // one more chunk of the encrypted file is written
        stepChunkDeciphered,   // one more chunk of the decrypted copy is written (opening)
        stepTargetReplaced,    // the new file has replaced the notebook
        stepBlockWiped         // one more block of a file has been overwritten with zeros
    };

    virtual ~IQlcFileProbe() {}
    virtual void OnStep(int nStep) = 0;
};

// Installs a probe (null removes it); returns the previous one.
IQlcFileProbe* QlcSetFileProbe(IQlcFileProbe* pProbe);
// Reports a step to the installed probe, if any.
void QlcFileProbeStep(int nStep);
