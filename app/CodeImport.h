#pragma once

class CInfraredDevice;
class CQuorbexDoc;
class QWidget;

// File > Import: brings the codes of a file from another tool (an .ir signals file, a remote
// file of the Linux infrared daemon, Pronto hex or typed codes) into a remote of the document,
// as --import does: new names become buttons on free cells of its pad, known ones take the new
// signal. The person chooses the remote (the one given when there is only one), and the remote
// of the file when it holds several; a pad too small is offered a larger style first. Every
// refusal is said before anything changes.
void ImportCodesInto(QWidget* pParent, CQuorbexDoc& doc, CInfraredDevice& device);
