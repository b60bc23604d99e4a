#pragma once
// The per-file drivers: convert every PDF of g_inputPaths in turn and store
// one Word document per PDF in g_outputSubfolder.
class IConversionReceiver;

// 1 when every file was converted or a stop was noticed, 0 when a file failed
// or the run was aborted. The receiver may be null.
int ConvertBatchFlow(IConversionReceiver* receiver);
int ConvertBatchFrames(IConversionReceiver* receiver);
