REM Varnet QM-Link: the macros behind the toolbar "Varnet QM-Link".
REM Each hands its command to the host program qmlink, which shows the
REM add-in's forms and drives the link engine. The host reaches this office
REM through a local pipe that this library opens once per office session.
Option Explicit

Global QmLinkPipe As String
Global QmLinkAcceptor As Object

Sub DmmAboutTX35XX
    QmLinkForward "DmmAboutTX35XX"
End Sub

Sub DmmConnectTX35XX
    QmLinkForward "DmmConnectTX35XX"
End Sub

Sub DmmFilesTX35XX
    QmLinkForward "DmmFilesTX35XX"
End Sub

Sub DmmFuncsTX35XX
    QmLinkForward "DmmFuncsTX35XX"
End Sub

Sub DmmMeasTX35XX
    QmLinkForward "DmmMeasTX35XX"
End Sub

Sub DmmChartTX35XX
    QmLinkForward "DmmChartTX35XX"
End Sub

Sub DmmTimerStartTX35XX
    QmLinkForward "DmmTimerStartTX35XX"
End Sub

Sub DmmTimerPauseTX35XX
    QmLinkForward "DmmTimerPauseTX35XX"
End Sub

Sub DmmTimerStopTX35XX
    QmLinkForward "DmmTimerStopTX35XX"
End Sub

REM The launcher names the last three buttons' macros without the suffix.
Sub DmmTimerStart
    QmLinkForward "DmmTimerStartTX35XX"
End Sub

Sub DmmTimerPause
    QmLinkForward "DmmTimerPauseTX35XX"
End Sub

Sub DmmTimerStop
    QmLinkForward "DmmTimerStopTX35XX"
End Sub

REM The pipe the host connects to: opened on first use, private to this
REM office (its name is random), kept until the office ends.
Function QmLinkPipeName() As String
    If QmLinkPipe = "" Then
        Randomize
        Dim name As String
        name = "qm_link_" & CStr(Int(Rnd() * 1000000000)) & "_" & CStr(Int(Rnd() * 1000000000))
        QmLinkAcceptor = CreateUnoService("com.sun.star.office.Acceptor")
        REM The second argument switches the acceptor on: without it, it only waits.
        QmLinkAcceptor.initialize(Array("pipe,name=" & name & ";urp;StarOffice.ComponentContext", True))
        QmLinkPipe = name
    End If
    QmLinkPipeName = QmLinkPipe
End Function

Sub QmLinkForward(command As String)
    Dim host As String
    host = Environ("QM_LINK_HOST")
    If host = "" Then host = "qmlink"
    On Error GoTo Failed
    Shell(host, 1, "--office pipe,name=" & QmLinkPipeName() & " --command " & command, False)
    Exit Sub
Failed:
    MsgBox "The QM-Link host program (" & host & ") could not be started: " & Error$, 16, "Varnet QM-Link"
End Sub
