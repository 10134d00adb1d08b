/* The stand-in's source of the API version a MEX file declares, which
 * CMake's matlab_add_mex compiles into every MEX file for MATLAB 9.1
 * (R2016b) and later. The host asks a MEX file for it when loading it, so
 * the file must export it beside mexFunction. Like the plug-ins' own code
 * it carries no visibility attribute: exporting it is the build's work. */
#ifdef __cplusplus
extern "C"
#endif
void mexfilerequiredapiversion(unsigned int* built_by_release, unsigned int* target_api_version)
{
    /* Values of the stand-in's own: the test host does not ask for them. */
    *built_by_release = 0x2017b;
    *target_api_version = 0;
}
