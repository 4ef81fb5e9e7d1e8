/* The methods that follow IDispatch's in the character server's two interfaces, by name, for
   comparing their slots in our declarations with those in the platform's definitions. Shared by
   C and C++. */
#ifndef WOBBET_TESTS_AGENT_COM_AGENT_SERVER_METHODS_H
#define WOBBET_TESTS_AGENT_COM_AGENT_SERVER_METHODS_H

/* clang-format off */
#define WOBBET_AGENT_EX_METHODS(X) \
    X(Load) \
    X(Unload) \
    X(Register) \
    X(Unregister) \
    X(GetCharacter) \
    X(GetSuspended) \
    X(GetCharacterEx) \
    X(GetVersion) \
    X(ShowDefaultCharacterProperties)

#define WOBBET_AGENT_CHARACTER_EX_METHODS(X) \
    X(GetVisible) \
    X(SetPosition) \
    X(GetPosition) \
    X(SetSize) \
    X(GetSize) \
    X(GetName) \
    X(GetDescription) \
    X(GetTTSSpeed) \
    X(GetTTSPitch) \
    X(Activate) \
    X(SetIdleOn) \
    X(GetIdleOn) \
    X(Prepare) \
    X(Play) \
    X(Stop) \
    X(StopAll) \
    X(Wait) \
    X(Interrupt) \
    X(Show) \
    X(Hide) \
    X(Speak) \
    X(MoveTo) \
    X(GestureAt) \
    X(GetMoveCause) \
    X(GetVisibilityCause) \
    X(HasOtherClients) \
    X(SetSoundEffectsOn) \
    X(GetSoundEffectsOn) \
    X(SetName) \
    X(SetDescription) \
    X(GetExtraData) \
    X(ShowPopupMenu) \
    X(SetAutoPopupMenu) \
    X(GetAutoPopupMenu) \
    X(GetHelpFileName) \
    X(SetHelpFileName) \
    X(SetHelpModeOn) \
    X(GetHelpModeOn) \
    X(SetHelpContextID) \
    X(GetHelpContextID) \
    X(GetActive) \
    X(Listen) \
    X(SetLanguageID) \
    X(GetLanguageID) \
    X(GetTTSModeID) \
    X(SetTTSModeID) \
    X(GetSRModeID) \
    X(SetSRModeID) \
    X(GetGUID) \
    X(GetOriginalSize) \
    X(Think) \
    X(GetVersion) \
    X(GetAnimationNames) \
    X(GetSRStatus)
/* clang-format on */

#endif
